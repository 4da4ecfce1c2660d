# Windows targets: Veltrano.exe, NKF32.DLL, the mail-client stand-in, the Windows test program,
# the screenshot driver.

enable_language(RC)
set(RESOURCE_FILE ${CMAKE_SOURCE_DIR}/app/res/veltrano.rc)
# The version resource takes the project's version.
file(WRITE ${CMAKE_BINARY_DIR}/generated/rc/version.h
  "#define VELTRANO_VERSION_NUMBERS ${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0\n"
  "#define VELTRANO_VERSION_TEXT \"${PROJECT_VERSION}.0\\0\"\n")
# The manifest names this build's architecture, for the program and for the
# common controls it binds: 64-bit Windows refuses to start a program whose
# manifest asks for an assembly of another architecture (Wine does not check).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  veltrano_manifest(amd64 ${CMAKE_BINARY_DIR}/generated/rc/veltrano.manifest)
else()
  veltrano_manifest(x86 ${CMAKE_BINARY_DIR}/generated/rc/veltrano.manifest)
endif()
set_property(SOURCE ${RESOURCE_FILE} APPEND PROPERTY INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}/generated/rc)
set_property(SOURCE ${RESOURCE_FILE} APPEND PROPERTY OBJECT_DEPENDS
             ${CMAKE_BINARY_DIR}/generated/rc/veltrano.manifest)

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
target_link_libraries(veltrano_wintests PRIVATE app veltrano_mkmailbox sqlite3 gtest gtest_main)
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

# Speed and memory floors for scripts/bench-wine, run on demand under Wine.
add_executable(list_probe bench/wine/list_probe.cpp)
target_link_libraries(list_probe PRIVATE user32)
add_executable(floor_list WIN32 bench/wine/floor_list.cpp)
target_link_libraries(floor_list PRIVATE comctl32)
add_executable(floor_headers bench/wine/floor_headers.cpp)
add_executable(list_memory bench/wine/list_memory.cpp)
target_link_libraries(list_memory PRIVATE thread)
add_executable(viewer_find_bar bench/wine/viewer_find_bar.cpp)
target_include_directories(viewer_find_bar PRIVATE ${VELTRANO_OUTSIDE_INCLUDE})
target_link_libraries(viewer_find_bar PRIVATE ui)
add_executable(mark_rate bench/wine/mark_rate.cpp)
target_include_directories(mark_rate PRIVATE ${VELTRANO_OUTSIDE_INCLUDE})
target_link_libraries(mark_rate PRIVATE client veltrano_mkmailbox)
foreach(target list_probe floor_list floor_headers list_memory viewer_find_bar mark_rate)
  target_compile_options(${target} PRIVATE ${VELTRANO_WARNINGS})
endforeach()
