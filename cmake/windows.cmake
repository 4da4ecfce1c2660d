# Windows targets: Veltrano.exe, NKF32.DLL, the mail-client stand-in, the Windows test program,
# the screenshot driver.

enable_language(RC)
set(RESOURCE_FILE ${CMAKE_SOURCE_DIR}/app/res/veltrano.rc)

add_executable(Veltrano WIN32 app/main.cpp ${RESOURCE_FILE})
target_link_libraries(Veltrano PRIVATE app)
target_compile_options(Veltrano PRIVATE ${VELTRANO_WARNINGS})

# NKF32.DLL: our own code converter with the two undecorated WINAPI exports.
add_library(nkf32 SHARED nkf/nkf32_dll_win.cpp ${CMAKE_SOURCE_DIR}/nkf/nkf32.def)
target_link_libraries(nkf32 PRIVATE nkf)
target_compile_options(nkf32 PRIVATE ${VELTRANO_WARNINGS})
set_target_properties(nkf32 PROPERTIES PREFIX "" OUTPUT_NAME NKF32 SUFFIX .DLL)
target_link_options(nkf32 PRIVATE -Wl,--kill-at)

# GoogleTest compiled for Windows from the sources Debian's googletest package installs.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest googletest EXCLUDE_FROM_ALL)

file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS tests/win/*.cpp)
add_executable(veltrano_wintests ${TEST_SOURCES} ${WIN_TEST_SOURCES} ${RESOURCE_FILE})
target_include_directories(veltrano_wintests PRIVATE ${VELTRANO_OUTSIDE_INCLUDE})
target_link_libraries(veltrano_wintests PRIVATE app veltrano_mkmailbox gtest gtest_main)
target_compile_options(veltrano_wintests PRIVATE ${VELTRANO_WARNINGS})
add_dependencies(veltrano_wintests Veltrano nkf32 quenmar)

# quenmar.exe: a stand-in for the mail client (window, DDE service, command
# log) used by demos and by the Windows tests.
file(GLOB STANDIN_SOURCES CONFIGURE_DEPENDS tools/standin/*.cpp)
add_executable(quenmar WIN32 ${STANDIN_SOURCES})
target_link_libraries(quenmar PRIVATE veltrano_mkmailbox client gdi32)
target_compile_options(quenmar PRIVATE ${VELTRANO_WARNINGS})

# The steps that scripts/screenshot runs against a started Veltrano.exe.
add_executable(screenshot_driver tools/screenshot/driver_win.cpp)
target_link_libraries(screenshot_driver PRIVATE user32)
target_compile_options(screenshot_driver PRIVATE ${VELTRANO_WARNINGS})
