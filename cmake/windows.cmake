# Windows targets: Veltrano.exe, NKF32.DLL, the Windows test program.

enable_language(RC)

# Everything of the Windows program but its entry point, so that the in-process
# UI tests can link the same windows.
file(GLOB UI_SOURCES CONFIGURE_DEPENDS
  ui/*.cpp ui/dialogs/*.cpp app/*_win.cpp viewer/*_win.cpp client/*_win.cpp)
list(FILTER UI_SOURCES EXCLUDE REGEX "app/main_win\\.cpp$")
add_library(veltrano_ui STATIC ${UI_SOURCES} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
target_link_libraries(veltrano_ui PUBLIC veltrano_core)
target_compile_options(veltrano_ui PRIVATE ${VELTRANO_WARNINGS})
target_link_libraries(veltrano_ui PUBLIC comctl32 shell32 user32 gdi32 comdlg32 advapi32 ole32 uuid)

set(RESOURCE_FILE)
if(EXISTS ${CMAKE_SOURCE_DIR}/app/res/veltrano.rc)
  set(RESOURCE_FILE ${CMAKE_SOURCE_DIR}/app/res/veltrano.rc)
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/app/main_win.cpp)
  add_executable(Veltrano WIN32 app/main_win.cpp ${RESOURCE_FILE})
  target_link_libraries(Veltrano PRIVATE veltrano_ui)
  target_compile_options(Veltrano PRIVATE ${VELTRANO_WARNINGS})
  set_target_properties(Veltrano PROPERTIES OUTPUT_NAME Veltrano SUFFIX .exe)
endif()

# NKF32.DLL: our own code converter with the two undecorated WINAPI exports.
if(EXISTS ${CMAKE_SOURCE_DIR}/nkf/nkf32.def)
  file(GLOB NKF_SOURCES CONFIGURE_DEPENDS nkf/*.cpp nkf/*_win.cpp)
  add_library(nkf32 SHARED ${NKF_SOURCES} ${CMAKE_SOURCE_DIR}/nkf/nkf32.def)
  target_include_directories(nkf32 PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(nkf32 PRIVATE ${VELTRANO_WARNINGS})
  set_target_properties(nkf32 PROPERTIES PREFIX "" OUTPUT_NAME NKF32 SUFFIX .DLL)
  target_link_options(nkf32 PRIVATE -Wl,--kill-at)
endif()

# GoogleTest compiled for Windows from the sources Debian's googletest package installs.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest googletest EXCLUDE_FROM_ALL)

file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS tests/win/*.cpp)
add_executable(veltrano_wintests ${TEST_SOURCES} ${WIN_TEST_SOURCES} ${RESOURCE_FILE})
target_link_libraries(veltrano_wintests PRIVATE veltrano_ui gtest gtest_main)
if(TARGET veltrano_mkmailbox)
  target_link_libraries(veltrano_wintests PRIVATE veltrano_mkmailbox)
endif()
target_compile_options(veltrano_wintests PRIVATE ${VELTRANO_WARNINGS})
target_compile_definitions(veltrano_wintests PRIVATE VELTRANO_TEST_DATA_DIR="tests/data")
if(TARGET Veltrano)
  add_dependencies(veltrano_wintests Veltrano)
endif()
if(TARGET nkf32)
  add_dependencies(veltrano_wintests nkf32)
endif()

# quenmar.exe: a stand-in for the mail client (window, DDE service, command
# log) used by demos and by the Windows tests.
file(GLOB STANDIN_SOURCES CONFIGURE_DEPENDS tools/standin/*.cpp)
if(STANDIN_SOURCES)
  add_executable(quenmar WIN32 ${STANDIN_SOURCES})
  target_link_libraries(quenmar PRIVATE veltrano_mkmailbox)
  target_compile_options(quenmar PRIVATE ${VELTRANO_WARNINGS})
  add_dependencies(veltrano_wintests quenmar)
endif()
