# The component server under Wine: registration, scripts, a test container.
set(ocx $<TARGET_FILE:quillomet_ocx>)

# A test program that loads the control's library from the path ctest
# passes it, run under Wine as test NAME.
function(quillomet_ocx_test name program)
  add_executable(${program} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${program}.cpp)
  target_include_directories(${program} PRIVATE ${PROJECT_SOURCE_DIR}/tools ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${program} PRIVATE quillomet_identities gtest ole32 oleaut32 uuid user32
                        gdi32 ${ARGN})
  target_compile_definitions(${program} PRIVATE UNICODE _UNICODE)
  wine_test_headers(${program})
  add_dependencies(${program} quillomet_ocx)
  add_test(NAME ${name} COMMAND ${program} $<TARGET_FILE:quillomet_ocx> --gtest_brief=1)
  # It makes the control's windows in the suite's prefix: on its display.
  set_property(TEST ${name} APPEND PROPERTY RESOURCE_LOCK display)
endfunction()

# The Wine test programs that drive the control share their flags (wide
# characters, the test folders), so the first one's precompiled headers
# serve them all.
function(wine_test_headers program)
  get_property(owner GLOBAL PROPERTY quillomet_wine_test_headers)
  if(owner)
    quillomet_test_headers(${program} REUSE_FROM ${owner})
  else()
    quillomet_test_headers(${program})
    set_property(GLOBAL PROPERTY quillomet_wine_test_headers ${program})
  endif()
endfunction()

# The type library's platform key of this architecture.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(typelib_platform win64)
else()
  set(typelib_platform win32)
endif()
add_test(NAME server_registration
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/registration_test.sh ${ocx} ${typelib_platform})
set_tests_properties(server_registration PROPERTIES FIXTURES_SETUP registered)

# Scripts start the Wine loader of this architecture: in a 64-bit prefix
# plain "wine" runs the 32-bit regsvr32, reg and cscript.
set_tests_properties(server_registration PROPERTIES ENVIRONMENT "WINE=${CMAKE_CROSSCOMPILING_EMULATOR}")

foreach(script automation.vbs automation.js)
  add_test(NAME server_script_${script}
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run_script.sh ${CMAKE_CURRENT_LIST_DIR}/scripts/${script})
  set_tests_properties(server_script_${script} PROPERTIES FIXTURES_REQUIRED registered
                       ENVIRONMENT "WINE=${CMAKE_CROSSCOMPILING_EMULATOR}")
endforeach()

# What users copy into every application: within its size budget, and a
# single file that needs nothing beyond the DLLs every Windows has.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(readme_architecture x86-64)
else()
  set(readme_architecture i686)
endif()
add_test(NAME library_budget
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/library_budget.sh ${ocx} $<TARGET_PROPERTY:quillomet_ocx,SIZE_BUDGET>
          ${PROJECT_SOURCE_DIR}/README.md ${readme_architecture} ${CMAKE_OBJDUMP} kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll
          comctl32.dll ole32.dll oleaut32.dll msvcrt.dll)

quillomet_ocx_test(server_container container_test version)

quillomet_ocx_test(server_site site_test)

add_executable(atl_host_test ${CMAKE_CURRENT_LIST_DIR}/atl_host_test.cpp)
target_include_directories(atl_host_test PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(atl_host_test PRIVATE quillomet_identities gtest ole32 oleaut32 uuid user32)
target_compile_definitions(atl_host_test PRIVATE UNICODE _UNICODE)
wine_test_headers(atl_host_test)
add_test(NAME server_atl_host COMMAND atl_host_test --gtest_brief=1)
set_tests_properties(server_atl_host PROPERTIES FIXTURES_REQUIRED registered)

quillomet_ocx_test(server_screen screen_test oleacc)

quillomet_ocx_test(server_accessibility accessibility_test oleacc)

# A test that needs a system of its own runs in a fresh prefix, on a display
# of its own, so it may run beside the suite's.
set(fresh_prefix bash ${PROJECT_SOURCE_DIR}/tools/wine/prefix.sh fresh ${typelib_platform} --xvfb)

# The control's pixels at the screen's pixels per inch: 96 in the suite's
# prefix, 144 and 192 in prefixes of their own.
quillomet_ocx_test(server_dpi_96 dpi_test oleacc)
set_tests_properties(server_dpi_96 PROPERTIES ENVIRONMENT QUILLOMET_LOGPIXELS=96)
foreach(dpi 144 192)
  add_test(NAME server_dpi_${dpi}
    COMMAND ${CMAKE_COMMAND} -E env QUILLOMET_LOGPIXELS=${dpi}
            ${fresh_prefix} --logpixels ${dpi} --
            timeout -k 5 120 ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:dpi_test> ${ocx} --gtest_brief=1)
  set_tests_properties(server_dpi_${dpi} PROPERTIES TIMEOUT 240)
endforeach()

quillomet_ocx_test(server_lifetime lifetime_test)
target_include_directories(lifetime_test PRIVATE ${PROJECT_SOURCE_DIR}/src)

add_test(NAME server_demo
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/demo_test.sh $<TARGET_FILE:demo>)
set_tests_properties(server_demo PROPERTIES FIXTURES_REQUIRED registered
                     ENVIRONMENT "WINE=${CMAKE_CROSSCOMPILING_EMULATOR}")

add_executable(sysinfo_standin ${CMAKE_CURRENT_LIST_DIR}/sysinfo_standin.cpp)
add_executable(about_test ${CMAKE_CURRENT_LIST_DIR}/about_test.cpp)
target_include_directories(about_test PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(about_test PRIVATE quillomet_identities gtest ole32 oleaut32 uuid user32 advapi32)
target_compile_definitions(about_test PRIVATE UNICODE _UNICODE)
wine_test_headers(about_test)
add_dependencies(about_test quillomet_ocx sysinfo_standin)
add_test(NAME server_about COMMAND about_test ${ocx} $<TARGET_FILE:sysinfo_standin> --gtest_brief=1)

quillomet_ocx_test(server_floating_point floating_point_test)

# The calculator glyph as the Win32 backend draws it, without a window.
add_executable(glyph_test ${CMAKE_CURRENT_LIST_DIR}/glyph_test.cpp)
target_link_libraries(glyph_test PRIVATE quillomet_win32 ${gtest_main_target})
# (One file with flags of its own: GoogleTest's prelude, not precompiled.)
target_compile_options(glyph_test PRIVATE -include ${gtest_prelude})
add_test(NAME win32_glyph COMMAND glyph_test --gtest_brief=1)

# The owning wrappers of the Win32 and COM base, without the control.
add_executable(handle_test ${CMAKE_CURRENT_LIST_DIR}/handle_test.cpp)
target_link_libraries(handle_test PRIVATE quillomet_win32com ${gtest_main_target})
target_compile_options(handle_test PRIVATE -include ${gtest_prelude})
add_test(NAME win32com_handles COMMAND handle_test --gtest_brief=1)

quillomet_ocx_test(server_reentrancy reentrancy_test)

# Several user-interface threads typing at once (README: Known limits under
# Wine); with --plain-edit after the library's path, the same rounds with the
# system's own EDIT, run by hand.
quillomet_ocx_test(server_typing_threads typing_threads_test)

add_executable(unload_test ${CMAKE_CURRENT_LIST_DIR}/unload_test.cpp)
target_include_directories(unload_test PRIVATE ${PROJECT_SOURCE_DIR}/tools ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(unload_test PRIVATE quillomet_identities gtest ole32 oleaut32 uuid user32)
target_compile_definitions(unload_test PRIVATE UNICODE _UNICODE)
wine_test_headers(unload_test)
add_dependencies(unload_test quillomet_ocx)
add_test(NAME server_unload COMMAND unload_test --gtest_brief=1)
set_tests_properties(server_unload PROPERTIES FIXTURES_REQUIRED registered)

quillomet_ocx_test(server_golden golden_test)
target_compile_definitions(golden_test PRIVATE
  QUILLOMET_GOLDEN_DIR="${CMAKE_CURRENT_LIST_DIR}/golden")

# The 64-bit build checks itself against the 32-bit one beside it (preset
# mingw64 names it): documents both ways, and both libraries registered side
# by side in its 64-bit prefix.
if(CMAKE_SIZEOF_VOID_P EQUAL 8 AND QUILLOMET_PEER_BUILD)
  add_test(NAME server_both_architectures
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/both_architectures_test.sh
            ${QUILLOMET_PEER_BUILD}/src/server/Quillomet.ocx ${ocx}
            ${QUILLOMET_PEER_BUILD}/tests/golden_test.exe $<TARGET_FILE:golden_test>
            ${CMAKE_CURRENT_LIST_DIR}/scripts/automation.vbs ${CMAKE_CROSSCOMPILING_EMULATOR})
  set_tests_properties(server_both_architectures PROPERTIES FIXTURES_REQUIRED registered
                       RESOURCE_LOCK registry)
endif()
# The tests that register, unregister or create through the registry take
# turns, also under ctest -j.
set_tests_properties(server_registration server_script_automation.vbs
  server_script_automation.js server_atl_host server_demo server_unload
  PROPERTIES RESOURCE_LOCK registry)

# Registration-free activation, in a prefix of its own where nothing is
# registered (the suite's prefix has the class registered by its fixture).
add_executable(regfree_test ${CMAKE_CURRENT_LIST_DIR}/regfree_test.cpp)
target_include_directories(regfree_test PRIVATE ${PROJECT_SOURCE_DIR}/tools ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(regfree_test PRIVATE quillomet_identities gtest ole32 oleaut32 uuid user32)
target_compile_definitions(regfree_test PRIVATE UNICODE _UNICODE)
wine_test_headers(regfree_test)
add_dependencies(regfree_test quillomet_ocx quillomet_manifest)
add_test(NAME server_regfree
  COMMAND ${fresh_prefix} -- timeout -k 5 120 ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:regfree_test> ${ocx}
          $<TARGET_PROPERTY:quillomet_manifest,MANIFEST_FILE> --gtest_brief=1)
set_tests_properties(server_regfree PROPERTIES TIMEOUT 240)
# The manifest's host tool refuses what it cannot declare.
add_test(NAME regfree_manifest_tool
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/make_manifest_test.sh
          $<TARGET_PROPERTY:quillomet_manifest,MANIFEST_TOOL> ${PROJECT_SOURCE_DIR}/src/server/ordinalex.idl)

# The tests that show windows, or make the control's, in the suite's prefix
# take turns on its one display (focus and activation are the display's);
# the rest, in the suite's prefix or their own, run beside them.
# (Those made by quillomet_ocx_test take turns already.)
set(display_tests server_atl_host server_demo server_about server_unload
  server_script_automation.vbs server_script_automation.js)
if(TEST server_both_architectures)
  list(APPEND display_tests server_both_architectures)
endif()
set_property(TEST ${display_tests} APPEND PROPERTY RESOURCE_LOCK display)
