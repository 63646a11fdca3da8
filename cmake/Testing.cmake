# A test that could not run what it is for here (a tool or a fixture file missing, a case left out)
# ends with this code, and CTest reports it as skipped ("Not Run" in its summary), never as passed.
set(TEXTBOOK_SKIP_RETURN_CODE 77)
set(TEXTBOOK_TESTING_DIR ${CMAKE_CURRENT_LIST_DIR})

# textbook_add_qt_test(NAME COMMAND command...)
# Registers a Qt Test program with CTest through cmake/run-qtest.sh, which turns a run that skipped
# a case (QSKIP) into the skip code above.
function(textbook_add_qt_test name)
    cmake_parse_arguments(T "" "" "COMMAND" ${ARGN})
    add_test(NAME ${name} COMMAND ${TEXTBOOK_TESTING_DIR}/run-qtest.sh ${T_COMMAND})
    set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE ${TEXTBOOK_SKIP_RETURN_CODE})
endfunction()

# textbook_add_skipped_test(NAME REASON)
# A test that cannot be built here: registered all the same, it says why and reports itself skipped.
function(textbook_add_skipped_test name reason)
    add_test(NAME ${name} COMMAND sh -c "echo \"$1\"; exit ${TEXTBOOK_SKIP_RETURN_CODE}" sh "${name}: ${reason}")
    set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE ${TEXTBOOK_SKIP_RETURN_CODE})
endfunction()

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
        textbook_add_qt_test(${name} COMMAND xvfb-run -a -s "-screen 0 1366x768x24 -br" $<TARGET_FILE:${name}>)
        set_property(TEST ${name} PROPERTY LABELS display)
    else()
        textbook_add_qt_test(${name} COMMAND $<TARGET_FILE:${name}>)
        set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu")
    # The reader's settings (zoom, places in pages) of a test stay in the build tree, never in the
    # settings of whoever runs the tests.
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/${name}.config")
    textbook_sanitize_tests()
endfunction()

# --- The sanitizer build (TEXTBOOK_SANITIZE) -------------------------------------------------------
# Every test runs with the options below in its environment, and so does every program it starts
# (the textbook, coursedb, the reliability helper): they inherit the environment.
#
#   detect_leaks=1     LeakSanitizer at exit, with the suppressions in cmake/sanitizers/lsan.supp
#                      (memory that system libraries keep for themselves, none of ours).
#   detect_stack_use_after_return=1
#                      a reference to a function's local used after it returned (a lambda or a
#                      queued call holding one) is an error too.
#   check_initialization_order=1:strict_init_order=1
#                      a global that reads another file's global before that one is constructed.
#   exitcode=23        a sanitizer report ends a program with 23, which no program of ours uses, so
#                      a test that expects coursedb or the helper to fail with 1 or 2 still notices.
#   print_stacktrace   UBSan prints where the undefined behaviour was reached from; with
#                      -fno-sanitize-recover=undefined the first report ends the program.
#
# Programs that load Qt WebEngine also get new_delete_type_mismatch=0. When a page is destroyed
# (from WebContentsAdapter's destructor), Chromium's code in libQt6WebEngineCore frees one of its
# objects through a pointer to a smaller type (88 bytes allocated, freed as 24), and ASan stops the
# program there; ASan cannot suppress that report by library, only switch the check off for the
# whole process. Test programs that do not load the browser engine (the cursor, tools, shaping,
# rule, fault and server-load tests) keep the check, and in ours its usual cause, deleting through
# a base class without a virtual destructor, is an error at compile time already
# (-Wdelete-non-virtual-dtor, part of -Wall, with -Werror).
#
# Tests that run the real program on a display (label "display") also get fast_unwind_on_malloc=0:
# there the program draws through GLX, and Mesa's GL driver (swrast_dri.so, which Mesa loads and
# unloads again when the display is closed at exit) keeps memory of its own that the leak check then
# finds with no library left to name. The fast unwinder, which follows frame pointers, stops in that
# driver, built without them, so the report shows only "(<unknown module>)", which no suppression
# matches. Unwound in full, the stack reaches libGLX_mesa, which stays loaded, and the suppression of
# that library applies. It costs time at every allocation, so only these tests pay it.
set(TEXTBOOK_SANITIZER_OPTIONS
    "detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:exitcode=23")
set(TEXTBOOK_LSAN_OPTIONS "suppressions=${CMAKE_CURRENT_LIST_DIR}/sanitizers/lsan.supp")
set(TEXTBOOK_UBSAN_OPTIONS "print_stacktrace=1:exitcode=23")

# textbook_sanitize_tests()
# Gives the options above to every test of the calling directory, once the directory has been read
# (so a test's own ENVIRONMENT, set after add_test, is kept). textbook_add_test calls it; a directory
# that adds its tests with plain add_test calls it itself.
function(textbook_sanitize_tests)
    if(NOT TEXTBOOK_SANITIZE)
        return()
    endif()
    get_property(registered DIRECTORY PROPERTY TEXTBOOK_SANITIZED_TESTS SET)
    if(NOT registered)
        set_property(DIRECTORY PROPERTY TEXTBOOK_SANITIZED_TESTS ON)
        cmake_language(DEFER CALL _textbook_apply_sanitizer_options)
    endif()
endfunction()

function(_textbook_apply_sanitizer_options)
    get_property(tests DIRECTORY PROPERTY TESTS)
    foreach(test IN LISTS tests)
        set(asan_options "${TEXTBOOK_SANITIZER_OPTIONS}")
        set(loads_browser OFF)
        if(TARGET ${test})
            _textbook_loads_browser(${test} loads_browser)
        endif()
        if(loads_browser)
            string(APPEND asan_options ":new_delete_type_mismatch=0")
        endif()
        get_test_property(${test} LABELS labels)
        if("display" IN_LIST labels)
            string(APPEND asan_options ":fast_unwind_on_malloc=0")
        endif()
        set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT
            "ASAN_OPTIONS=${asan_options}"
            "LSAN_OPTIONS=${TEXTBOOK_LSAN_OPTIONS}"
            "UBSAN_OPTIONS=${TEXTBOOK_UBSAN_OPTIONS}")
    endforeach()
endfunction()

# Whether a program loads Qt WebEngine: it links it, through our libraries or directly, or it is a
# test that starts a program which does (tst_program depends on the textbook).
# The walk keeps the targets it came through, so a cycle of static libraries ends it.
function(_textbook_loads_browser target result)
    set(${result} OFF PARENT_SCOPE)
    get_target_property(imported ${target} IMPORTED)
    if(imported)
        return()
    endif()
    list(APPEND _textbook_walk ${target})
    get_target_property(links ${target} LINK_LIBRARIES)
    get_target_property(depends ${target} MANUALLY_ADDED_DEPENDENCIES)
    foreach(item IN LISTS links depends)
        if(item MATCHES "^Qt6?::WebEngine")
            set(${result} ON PARENT_SCOPE)
            return()
        endif()
        if(TARGET ${item} AND NOT item IN_LIST _textbook_walk)
            _textbook_loads_browser(${item} found)
            if(found)
                set(${result} ON PARENT_SCOPE)
                return()
            endif()
        endif()
    endforeach()
endfunction()

# At the end of the configuration: every directory with tests has called textbook_sanitize_tests(),
# so no test runs the sanitizer build without the options above.
function(_textbook_check_sanitized_directories dir)
    get_property(tests DIRECTORY ${dir} PROPERTY TESTS)
    get_property(registered DIRECTORY ${dir} PROPERTY TEXTBOOK_SANITIZED_TESTS SET)
    if(tests AND NOT registered)
        message(FATAL_ERROR "The tests of ${dir} (${tests}) would run without the sanitizer options: "
                            "call textbook_sanitize_tests() in its CMakeLists.txt.")
    endif()
    get_property(subdirectories DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(subdirectory IN LISTS subdirectories)
        _textbook_check_sanitized_directories(${subdirectory})
    endforeach()
endfunction()

if(TEXTBOOK_SANITIZE)
    cmake_language(DEFER CALL _textbook_check_sanitized_directories ${CMAKE_CURRENT_SOURCE_DIR})
endif()
