# Debian ships GoogleTest for the host only; for the cross build it ships the sources, built here
# with our toolchain. GCC 12's win32 thread model has no std::mutex or std::condition_variable,
# which GoogleTest's Notification is built on; GoogleTest lets a build bring its own
# (GTEST_HAS_NOTIFICATION_), and gtest-win32-notification.h is ours, made on a Win32 event.
# GoogleTest and the tests must see it alike; its own build names it GTest::gtest.
if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest's sources are missing: install Debian's googletest (scripts/bootstrap)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "No GoogleMock: the tests do not use it")
set(INSTALL_GTEST OFF CACHE BOOL "GoogleTest is built for the tests alone")
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_compile_definitions(gtest PUBLIC GTEST_HAS_NOTIFICATION_=1)
target_compile_options(gtest PUBLIC -include ${CMAKE_CURRENT_LIST_DIR}/gtest-win32-notification.h)
