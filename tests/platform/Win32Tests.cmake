# Win32-only registrations of the platform suites (included from tests/platform/CMakeLists.txt).
# The Win32 file tests run a second time with a Western locale (ANSI code page 1252 under Wine)
# to show that GBK names do not depend on the process code page.
if(WIN32 AND CMAKE_CROSSCOMPILING AND TARGET platform_tests)
  add_test(NAME platform_tests_cp1252
    COMMAND platform_tests --gtest_brief=1 --gtest_filter=Win32FilesTest.*)
  set_tests_properties(platform_tests_cp1252 PROPERTIES LABELS platform TIMEOUT 900
    ENVIRONMENT "SETUPKIT_WINE_LANG=C.UTF-8")
endif()
