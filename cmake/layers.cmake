# veltrano_layer(<folder> [<lower layer>...]): the static library of one folder.
#
# Its sources are the folder's .cpp files; files ending in _win.cpp (and _posix.cpp)
# only in the Windows (and host) build. Its headers are published through a directory
# holding nothing but a link to the folder, so `#include "<folder>/x.h"` works in this
# library and in the layers that link it, and fails to compile anywhere else.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

function(veltrano_layer name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${name}/*.cpp ${CMAKE_SOURCE_DIR}/${name}/*/*.cpp)
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "_posix\\.cpp$")
    # A program's entry point and a DLL's exports are targets of their own.
    list(FILTER sources EXCLUDE REGEX "(app/main|_dll_win)\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "_win\\.cpp$")
  endif()
  set(published ${CMAKE_BINARY_DIR}/layers/${name})
  file(MAKE_DIRECTORY ${published})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${name} ${published}/${name} SYMBOLIC)

  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${published})
  target_link_libraries(${name} PUBLIC ${ARGN})
  target_compile_options(${name} PRIVATE ${VELTRANO_WARNINGS})
  if(EXISTS ${CMAKE_SOURCE_DIR}/${name}/ja_texts.txt)
    veltrano_ja_texts(${name} ${name})
  endif()
endfunction()

# veltrano_ja_texts(<target> <folder> [--mail-encodings]): the Japanese texts of the
# target's folder, <folder>/ja_texts.txt (UTF-8), become "<folder>/ja_texts.h" (CP932,
# and with --mail-encodings the other encodings of mail too; see cmake/gen_ja_texts.py).
function(veltrano_ja_texts target folder)
  set(texts ${CMAKE_SOURCE_DIR}/${folder}/ja_texts.txt)
  set(generated ${CMAKE_BINARY_DIR}/generated/${folder})
  set(header ${generated}/${folder}/ja_texts.h)
  file(MAKE_DIRECTORY ${generated}/${folder})
  add_custom_command(OUTPUT ${header}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/cmake/gen_ja_texts.py ${folder} ${texts} ${header} ${ARGN}
    DEPENDS ${texts} ${CMAKE_SOURCE_DIR}/cmake/gen_ja_texts.py
    COMMENT "Japanese texts of ${folder}")
  target_sources(${target} PRIVATE ${header})
  target_include_directories(${target} PUBLIC ${generated})
endfunction()
