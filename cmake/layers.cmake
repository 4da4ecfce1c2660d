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

  # Japanese texts: <folder>/ja_texts.txt (UTF-8) becomes "<folder>/ja_texts.h" (CP932).
  set(texts ${CMAKE_SOURCE_DIR}/${name}/ja_texts.txt)
  set(generated ${CMAKE_BINARY_DIR}/generated/${name})
  if(EXISTS ${texts})
    set(header ${generated}/${name}/ja_texts.h)
    file(MAKE_DIRECTORY ${generated}/${name})
    add_custom_command(OUTPUT ${header}
      COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/cmake/gen_ja_texts.py ${name} ${texts} ${header}
      DEPENDS ${texts} ${CMAKE_SOURCE_DIR}/cmake/gen_ja_texts.py
      COMMENT "Japanese texts of ${name}")
    list(APPEND sources ${header})
  endif()

  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${published} ${generated})
  target_link_libraries(${name} PUBLIC ${ARGN})
  target_compile_options(${name} PRIVATE ${VELTRANO_WARNINGS})
endfunction()
