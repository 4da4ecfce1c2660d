#include "app/program.h"

#include "platform/files.h"
#include "platform/timing_log.h"
#include "platform/wide_win.h"
#include "thread/cache_preload.h"

namespace app {

std::string ExecutableDirectory() {
  return platform::NarrowPath(platform::ProgramFolder()).value_or(std::string());
}

platform::SystemPath SettingsFilePath(const platform::SystemPath& program_folder,
                                      const platform::SystemPath& app_data) {
  const platform::SystemPath beside = settings::SettingsPath(program_folder);
  settings::SettingsHomeFacts facts;
  facts.BesideExists = platform::FileExists(beside);
  facts.BesideWritable = facts.BesideExists && platform::CanWriteFile(beside);
  // Asked only when there is no file yet; the 32-bit program, virtualised,
  // hears yes for a folder under "Program Files" (see CanCreateFileIn).
  facts.FolderWritable = !facts.BesideExists && platform::CanCreateFileIn(program_folder);
  if (settings::ChooseSettingsHome(facts) == settings::SettingsHome::kBesideProgram ||
      app_data.empty()) {
    return beside;  // with no application data either, a failed save says so
  }
  const platform::SystemPath home = app_data.Join("Veltrano");
  platform::MakeDirectory(home);
  const platform::SystemPath path = settings::SettingsPath(home);
  // The first run here starts from the file beside the program, which could
  // be read but not written.
  std::string bytes;
  if (facts.BesideExists && !platform::FileExists(path) && platform::ReadWholeFile(beside, bytes)) {
    platform::ReplaceFileAtomically(path, bytes);
  }
  return path;
}

Program::Program(ui::MainFormEnvironment environment) {
  if (environment.SettingsPath.empty()) {
    environment.SettingsPath =
        SettingsFilePath(platform::SystemPath(platform::ProgramFolder()),
                         platform::SystemPath(platform::UserAppDataFolder()));
  }
  mail_client_ = std::make_unique<ui::WindowsMailClientLink>(
      [this] {
        if (main_ != nullptr) main_->PumpMessages();
      },
      [this] { return main_ == nullptr || main_->Closing(); });
  if (environment.MailClient == nullptr) environment.MailClient = mail_client_.get();
  environment.RemoveSplash = [this] {
    if (splash_ != nullptr) splash_->Remove();
    splash_.reset();
  };
  // The start folder's cache is read on a thread of its own meanwhile.
  auto preload =
      std::make_unique<thread::CachePreload>(environment.SettingsPath, environment.ReadRegistry);
  platform::PhaseTimer main_timer("main-window-create");
  main_ = std::make_unique<ui::TVtFormMain>(std::move(environment));
  main_->AdoptPreload(std::move(preload));
  main_timer.Stop();
  platform::PhaseTimer splash_timer("splash-create");
  splash_ = std::make_unique<ui::TSplashForm>();
}

Program::~Program() {
  splash_.reset();
  main_.reset();
}

void DispatchProgramMessage(ui::TVtFormMain& main, MSG& message) {
  if (main.PreTranslate(message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void Program::Run(int show_command) {
  platform::PhaseTimer splash_timer("splash-shown");
  splash_->ShowTopMost();
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchProgramMessage(*main_, message);
  splash_timer.Stop();
  platform::PhaseTimer shown("main-window-shown");  // the start-up sequence with the first folder
  main_->Show(show_command);
  shown.Stop();
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchProgramMessage(*main_, message);
}

}  // namespace app
