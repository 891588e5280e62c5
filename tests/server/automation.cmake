# The component server under Wine: registration, scripts, a test container.
set(ocx $<TARGET_FILE:quillomet_ocx>)

add_test(NAME server_registration
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/registration_test.sh ${ocx})
set_tests_properties(server_registration PROPERTIES FIXTURES_SETUP registered)

foreach(script automation.vbs automation.js)
  add_test(NAME server_script_${script}
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run_script.sh ${CMAKE_CURRENT_LIST_DIR}/scripts/${script})
  set_tests_properties(server_script_${script} PROPERTIES FIXTURES_REQUIRED registered)
endforeach()

add_executable(container_test ${CMAKE_CURRENT_LIST_DIR}/container_test.cpp)
target_include_directories(container_test PRIVATE ${PROJECT_SOURCE_DIR}/tools)
target_link_libraries(container_test PRIVATE quillomet_identities gtest ole32 oleaut32 uuid user32 version)
target_compile_definitions(container_test PRIVATE UNICODE _UNICODE)
add_dependencies(container_test quillomet_ocx)
add_test(NAME server_container COMMAND container_test ${ocx} --gtest_brief=1)

add_executable(site_test ${CMAKE_CURRENT_LIST_DIR}/site_test.cpp)
target_include_directories(site_test PRIVATE ${PROJECT_SOURCE_DIR}/tools)
target_link_libraries(site_test PRIVATE quillomet_identities gtest ole32 oleaut32 uuid user32 gdi32)
target_compile_definitions(site_test PRIVATE UNICODE _UNICODE)
add_dependencies(site_test quillomet_ocx)
add_test(NAME server_site COMMAND site_test ${ocx} --gtest_brief=1)

add_executable(atl_host_test ${CMAKE_CURRENT_LIST_DIR}/atl_host_test.cpp)
target_link_libraries(atl_host_test PRIVATE quillomet_identities gtest ole32 oleaut32 uuid user32)
target_compile_definitions(atl_host_test PRIVATE UNICODE _UNICODE)
add_test(NAME server_atl_host COMMAND atl_host_test --gtest_brief=1)
set_tests_properties(server_atl_host PROPERTIES FIXTURES_REQUIRED registered)

add_executable(screen_test ${CMAKE_CURRENT_LIST_DIR}/screen_test.cpp)
target_include_directories(screen_test PRIVATE ${PROJECT_SOURCE_DIR}/tools)
target_link_libraries(screen_test PRIVATE quillomet_identities gtest ole32 oleaut32 uuid user32 gdi32)
target_compile_definitions(screen_test PRIVATE UNICODE _UNICODE)
add_dependencies(screen_test quillomet_ocx)
add_test(NAME server_screen COMMAND screen_test ${ocx} --gtest_brief=1)

add_executable(lifetime_test ${CMAKE_CURRENT_LIST_DIR}/lifetime_test.cpp)
target_include_directories(lifetime_test PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_include_directories(lifetime_test PRIVATE ${PROJECT_SOURCE_DIR}/tools)
target_link_libraries(lifetime_test PRIVATE quillomet_identities gtest ole32 oleaut32 uuid user32 gdi32)
target_compile_definitions(lifetime_test PRIVATE UNICODE _UNICODE)
add_dependencies(lifetime_test quillomet_ocx)
add_test(NAME server_lifetime COMMAND lifetime_test ${ocx} --gtest_brief=1)

add_test(NAME server_demo
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/demo_test.sh $<TARGET_FILE:demo>)
set_tests_properties(server_demo PROPERTIES FIXTURES_REQUIRED registered)

add_executable(sysinfo_standin ${CMAKE_CURRENT_LIST_DIR}/sysinfo_standin.cpp)
add_executable(about_test ${CMAKE_CURRENT_LIST_DIR}/about_test.cpp)
target_link_libraries(about_test PRIVATE quillomet_identities gtest ole32 oleaut32 uuid user32 advapi32)
target_compile_definitions(about_test PRIVATE UNICODE _UNICODE)
add_dependencies(about_test quillomet_ocx sysinfo_standin)
add_test(NAME server_about COMMAND about_test ${ocx} $<TARGET_FILE:sysinfo_standin> --gtest_brief=1)

add_executable(floating_point_test ${CMAKE_CURRENT_LIST_DIR}/floating_point_test.cpp)
target_include_directories(floating_point_test PRIVATE ${PROJECT_SOURCE_DIR}/tools)
target_link_libraries(floating_point_test PRIVATE quillomet_identities gtest ole32 oleaut32 uuid user32 gdi32)
target_compile_definitions(floating_point_test PRIVATE UNICODE _UNICODE)
add_dependencies(floating_point_test quillomet_ocx)
add_test(NAME server_floating_point COMMAND floating_point_test ${ocx} --gtest_brief=1)

add_executable(reentrancy_test ${CMAKE_CURRENT_LIST_DIR}/reentrancy_test.cpp)
target_include_directories(reentrancy_test PRIVATE ${PROJECT_SOURCE_DIR}/tools)
target_link_libraries(reentrancy_test PRIVATE quillomet_identities gtest ole32 oleaut32 uuid user32 gdi32)
target_compile_definitions(reentrancy_test PRIVATE UNICODE _UNICODE)
add_dependencies(reentrancy_test quillomet_ocx)
add_test(NAME server_reentrancy COMMAND reentrancy_test ${ocx} --gtest_brief=1)
