# Project-wide build settings and helpers.
#
# sk_add_test(NAME name LABEL label SOURCES ... LIBS ...)
#   One GoogleTest binary registered as ONE ctest test (process start under Wine costs
#   seconds, so cases are not split into separate ctest tests). Under a cross build the
#   test runs through scripts/wine-run (CMAKE_CROSSCOMPILING_EMULATOR).
#
# sk_check_imports(target)
#   For a program that ships to users: after every link, scripts/check-pe --imports fails the
#   build when the program imports a DLL that the system may load from the program's folder.
#   With -DSETUPKIT_LINK_MAP=ON the linker also writes NAME.map beside the program, for
#   scripts/map-sizes (what the bytes of a stub are).

if(MSVC)
  message(FATAL_ERROR "setupkit builds with GCC/Clang or mingw-w64 only")
endif()
add_compile_options(-Wall -Wextra -Wno-unused-parameter)
# GCC 12 reports impossible overlaps in std::string concatenations with a literal on the left
# (a false positive of its -Wrestrict analysis after inlining); later versions do not.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()

if(WIN32)
  # Unicode W APIs; strings are converted at the platform boundary with code page 936.
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  # Static runtime: Setup.exe must run on a bare system.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Setup.exe is a download stub (at most 600 KiB on i686): optimise for size and let the linker
  # drop unused code.
  add_compile_options(-Os -ffunction-sections -fdata-sections)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # i686 unwinds exceptions with tables in .eh_frame. Tables are then emitted only for
    # functions an exception can pass through, not for every function (x86_64 keeps its
    # tables: the system's own unwinder needs them for every frame).
    add_compile_options(-fno-asynchronous-unwind-tables)
    add_link_options(-fno-asynchronous-unwind-tables)
  endif()
  if(CMAKE_INTERPROCEDURAL_OPTIMIZATION)
    # Link-time optimisation (the win32 preset): GCC 12 for mingw stops with an internal error
    # when it splits the program into partitions; one partition also gives the smallest code.
    add_link_options(-flto-partition=none)
  endif()
endif()

if(CMAKE_CROSSCOMPILING AND WIN32)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/scripts/wine-run" CACHE STRING "" FORCE)
endif()

function(sk_add_test)
  cmake_parse_arguments(T "" "NAME;LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} sk_gtest_main)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1)
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABEL}" TIMEOUT 900
    ENVIRONMENT "SETUPKIT_SOURCE_DIR=${CMAKE_SOURCE_DIR};SETUPKIT_BINARY_DIR=${CMAKE_BINARY_DIR}")
endfunction()

option(SETUPKIT_LINK_MAP "Write a linker map beside each program that ships" OFF)
function(sk_check_imports target)
  if(SETUPKIT_LINK_MAP)
    target_link_options(${target} PRIVATE "-Wl,-Map=$<TARGET_FILE_DIR:${target}>/${target}.map")
  endif()
  if(WIN32 AND CMAKE_HOST_UNIX)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-pe --imports $<TARGET_FILE:${target}>
      VERBATIM)
  endif()
endfunction()

# sk_gbk_texts(<target> <file.texts>...): the texts the setup shows are written in UTF-8 in
# .texts files beside the code; scripts/gbk-texts turns each into a header of GBK byte strings,
# <dir>/<file>.texts.h under build/generated (included as "<dir>/<file>.texts.h"). A text GBK
# cannot encode stops the build with its file and line. The headers are made before the target
# (and every target that links it) compiles.
find_package(Python3 COMPONENTS Interpreter REQUIRED)
set(SK_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
function(sk_gbk_texts target)
  foreach(texts ${ARGN})
    file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/${texts})
    set(header ${SK_GENERATED_DIR}/${rel}.h)
    add_custom_command(OUTPUT ${header}
      COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/gbk-texts ${rel} ${header}
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
      DEPENDS ${CMAKE_SOURCE_DIR}/${rel} ${CMAKE_SOURCE_DIR}/scripts/gbk-texts
      COMMENT "Making the GBK texts of ${rel}"
      VERBATIM)
    target_sources(${target} PRIVATE ${header})
  endforeach()
  target_include_directories(${target} PUBLIC ${SK_GENERATED_DIR})
endfunction()
