# Debian ships GoogleTest for the host only; for the cross build it ships the sources. Build
# and install them once with our toolchain into the build folder, so that find_package(GTest)
# finds a Windows GoogleTest the same way the native build finds Debian's.
# GCC 12's win32 thread model has no std::mutex or std::condition_variable, which GoogleTest's
# Notification is built on; GoogleTest lets a build bring its own (GTEST_HAS_NOTIFICATION_),
# and gtest-win32-notification.h is ours, made on a Win32 event.
set(gtest_source /usr/src/googletest)
set(gtest_build ${CMAKE_BINARY_DIR}/googletest-build)
set(gtest_prefix ${CMAKE_BINARY_DIR}/googletest-install)
set(gtest_notification_header ${CMAKE_CURRENT_LIST_DIR}/gtest-win32-notification.h)
set(gtest_notification "-DGTEST_HAS_NOTIFICATION_=1 -include ${gtest_notification_header}")

if(NOT EXISTS ${gtest_prefix}/lib/cmake/GTest/GTestConfig.cmake)
  if(NOT EXISTS ${gtest_source}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest's sources are missing: install Debian's googletest (scripts/bootstrap)")
  endif()
  message(STATUS "Building GoogleTest for Windows into ${gtest_prefix}")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${gtest_source} -B ${gtest_build} -G Ninja
            -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
            -DCMAKE_INSTALL_PREFIX=${gtest_prefix} -DBUILD_GMOCK=OFF
            "-DCMAKE_CXX_FLAGS=${gtest_notification}"
    COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${gtest_build} --target install
    COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
endif()

find_package(GTest REQUIRED CONFIG PATHS ${gtest_prefix} NO_DEFAULT_PATH)
# The tests must see GoogleTest's headers as it was built.
target_compile_definitions(GTest::gtest INTERFACE GTEST_HAS_NOTIFICATION_=1)
target_compile_options(GTest::gtest INTERFACE -include ${gtest_notification_header})
