# The install layout of the publisher's tool (`cmake --install`, `make install PREFIX=...`),
# relocatable: nothing below the prefix names the prefix.
#
#   bin/setupkit
#   share/setupkit/{Setup,Uninst}-{x86,x64}.exe      the programs `build` packs, found by the
#                                                    stub search from the program's own folder
#   share/doc/setupkit/                              README, docs, examples/demo
#   share/man/man1/setupkit.1                        made from the help texts (scripts/help-pages)
#   share/bash-completion/completions/setupkit       the same
#
# The four Windows programs come from the win32 and win64 builds (SETUPKIT_WIN32_BUILD,
# SETUPKIT_WIN64_BUILD, default build/win32 and build/win64 of this tree); an install before
# they are built stops with a message naming the missing program and the preset to build.

set(SETUPKIT_WIN32_BUILD "${CMAKE_SOURCE_DIR}/build/win32" CACHE PATH
    "build folder of the i686 Setup.exe and Uninst.exe that the install layout ships")
set(SETUPKIT_WIN64_BUILD "${CMAKE_SOURCE_DIR}/build/win64" CACHE PATH
    "build folder of the x86_64 Setup.exe and Uninst.exe that the install layout ships")

set(_sk_shipped
    "${SETUPKIT_WIN32_BUILD}/app/Setup.exe|Setup-x86.exe|win32"
    "${SETUPKIT_WIN32_BUILD}/app/uninst/Uninst.exe|Uninst-x86.exe|win32"
    "${SETUPKIT_WIN64_BUILD}/app/Setup.exe|Setup-x64.exe|win64"
    "${SETUPKIT_WIN64_BUILD}/app/uninst/Uninst.exe|Uninst-x64.exe|win64")
# Every program is checked before anything is installed, so a failed install leaves no half
# layout behind.
foreach(entry IN LISTS _sk_shipped)
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 from)
  list(GET parts 2 preset)
  install(CODE "
    if(NOT EXISTS \"${from}\")
      message(FATAL_ERROR \"install: ${from} is missing: build the ${preset} preset first (make ${preset})\")
    endif()")
endforeach()
foreach(entry IN LISTS _sk_shipped)
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 from)
  list(GET parts 1 name)
  install(FILES "${from}" DESTINATION share/setupkit RENAME "${name}")
endforeach()

# The man page and the bash completion, from the help texts of the program just built.
set(_sk_pages "${CMAKE_BINARY_DIR}/help-pages")
add_custom_command(
  OUTPUT "${_sk_pages}/setupkit.1" "${_sk_pages}/setupkit"
  COMMAND "${CMAKE_SOURCE_DIR}/scripts/help-pages" "$<TARGET_FILE:setupkit>" "${_sk_pages}"
  DEPENDS setupkit "${CMAKE_SOURCE_DIR}/scripts/help-pages"
  COMMENT "Man page and bash completion from the help texts")
add_custom_target(setupkit_help_pages ALL DEPENDS "${_sk_pages}/setupkit.1" "${_sk_pages}/setupkit")
install(FILES "${_sk_pages}/setupkit.1" DESTINATION share/man/man1)
install(FILES "${_sk_pages}/setupkit" DESTINATION share/bash-completion/completions)

install(FILES "${CMAKE_SOURCE_DIR}/README.md" DESTINATION share/doc/setupkit)
install(DIRECTORY "${CMAKE_SOURCE_DIR}/docs/" DESTINATION share/doc/setupkit/docs)
install(DIRECTORY "${CMAKE_SOURCE_DIR}/examples/demo" DESTINATION share/doc/setupkit/examples)
