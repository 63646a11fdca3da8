# The testing window and the results window.
set(_dir ${CMAKE_SOURCE_DIR}/testing)
target_sources(windows PRIVATE
    ${_dir}/Unit4.h ${_dir}/Unit4.cpp ${FORMS_DIR}/Unit4.ui
    ${_dir}/Unit7.h ${_dir}/Unit7.cpp ${FORMS_DIR}/Unit7.ui
)
