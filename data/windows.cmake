# The data module and the user register window.
set(_dir ${CMAKE_SOURCE_DIR}/data)
target_sources(windows PRIVATE
    ${_dir}/Unit5.h ${_dir}/Unit5.cpp
    ${_dir}/Unit6.h ${_dir}/Unit6.cpp ${FORMS_DIR}/Unit6.ui
)
