# textbook_add_test(NAME SOURCES file... LIBS lib... [DISPLAY])
# A Qt Test program registered with CTest. Widget tests run offscreen; DISPLAY tests run the
# real program under their own Xvfb server (xvfb-run picks a free display).
function(textbook_add_test name)
    cmake_parse_arguments(T "DISPLAY" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
    target_compile_definitions(${name} PRIVATE
        TEXTBOOK_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
        TEXTBOOK_BINARY_DIR="${CMAKE_BINARY_DIR}")
    if(T_DISPLAY)
        add_test(NAME ${name} COMMAND xvfb-run -a -s "-screen 0 1366x768x24 -br" $<TARGET_FILE:${name}>)
    else()
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu")
endfunction()
