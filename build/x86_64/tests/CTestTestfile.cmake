# CMake generated Testfile for 
# Source directory: /work/main/tests
# Build directory: /work/main/build/x86_64/tests
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
add_test([=[tag_tests_cp932]=] "/work/main/tools/wine-run.sh" "x86_64" "/work/main/build/x86_64/bin/tag_tests.exe" "--gtest_filter=Tag*:Text*")
set_tests_properties([=[tag_tests_cp932]=] PROPERTIES  ENVIRONMENT "LC_ALL=ja_JP.UTF-8" _BACKTRACE_TRIPLES "/work/main/tests/CMakeLists.txt;63;add_test;/work/main/tests/CMakeLists.txt;0;")
subdirs("../googletest")
subdirs("tag")
