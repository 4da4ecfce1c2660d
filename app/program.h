#pragma once
// The program's windows for one run: the main window and the splash, created
// in that order, and the message loop. The main window creates the viewer when
// it is first needed.

#include <memory>
#include <string>

#include "ui/mail_client_link.h"
#include "ui/main_form.h"
#include "ui/splash_form.h"

namespace app {

// The directory of the running executable, CP932 (its short name when CP932
// cannot hold its name), without a trailing "\"; empty when neither can.
std::string ExecutableDirectory();

// "Veltra.ini" beside the program in `program_folder` or in "Veltrano" under
// `app_data` (made when missing), as settings::ChooseSettingsHome decides from
// what the file system says. A file moved to the application data starts as a
// copy of the one beside the program.
platform::SystemPath SettingsFilePath(const platform::SystemPath& program_folder,
                                      const platform::SystemPath& app_data);

class Program {
 public:
  // Creates the two windows. `environment` may leave SettingsPath empty:
  // then SettingsFilePath chooses "Veltra.ini", and MailClient null: then
  // the real mail client and shell are used; RemoveSplash is set here.
  explicit Program(ui::MainFormEnvironment environment);
  ~Program();

  // Shows the splash, runs the main window's start-up and the message loop
  // until the main window has closed.
  void Run(int show_command);

  ui::TVtFormMain& Main() { return *main_; }

 private:
  // Declared first: the windows use it until they are gone.
  std::unique_ptr<ui::WindowsMailClientLink> mail_client_;
  std::unique_ptr<ui::TVtFormMain> main_;
  std::unique_ptr<ui::TSplashForm> splash_;
};

// One message through the program's shortcuts, then to its window.
void DispatchProgramMessage(ui::TVtFormMain& main, MSG& message);

}  // namespace app
