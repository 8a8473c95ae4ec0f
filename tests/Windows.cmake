# The Windows test executables. Support code that calls the system has a Windows version in
# support/win32; the engine's tests that need no POSIX call run as they are.
file(GLOB _support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support/win32/*.cpp)
list(APPEND _support ${CMAKE_CURRENT_SOURCE_DIR}/support/RecordingUi.cpp)
add_library(talvenor_testsupport STATIC ${_support})
target_link_libraries(talvenor_testsupport PUBLIC talvenor_engine GTest::gtest)
target_include_directories(talvenor_testsupport PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(talvenor_testsupport PUBLIC TALVENOR_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data")

# The Win32 platform layer: long paths, names in any script, copies, sharing, links, watching,
# and the settings in the registry.
file(GLOB _win32 CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/platform/win32/*.cpp)
add_executable(test_win32 ${_win32})
target_link_libraries(test_win32 PRIVATE talvenor_testsupport talvenor_app GTest::gtest_main)
add_test(NAME win32 COMMAND test_win32)

# The engine's own tests that call no POSIX function, as they are. The log's size control is
# left out: its tests read the log while it is held, which only Linux's advisory lock allows.
# So are the file times: they set the zone through the C library's TZ, which Windows' own
# zone ignores; the Win32 tests check times in the system's zone instead.
set(_portable detect/FolderSizeTest.cpp backup/TornCopyTest.cpp)
list(TRANSFORM _portable PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
add_executable(test_engine ${_portable})
target_link_libraries(test_engine PRIVATE talvenor_testsupport GTest::gtest_main)
add_test(NAME engine COMMAND test_engine)

# The resource script against the windows' tables, both languages. Needs a display (Xvfb).
add_executable(test_win32_ui ui/win32/ResourceSetTest.cpp ${TALVENOR_RESOURCE_SCRIPT})
target_link_libraries(test_win32_ui PRIVATE talvenor_winres GTest::gtest_main)
