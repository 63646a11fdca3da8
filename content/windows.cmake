# The content windows: the two main windows and the two viewers.
set(_dir ${CMAKE_SOURCE_DIR}/content)
target_sources(windows PRIVATE
    ${_dir}/MainForm.h ${_dir}/MainForm.cpp
    ${_dir}/Unit2.h ${_dir}/Unit2.cpp ${FORMS_DIR}/Unit2.ui
    ${_dir}/Unit8.h ${_dir}/Unit8.cpp ${FORMS_DIR}/Unit8.ui
    ${_dir}/Viewer.h ${_dir}/Viewer.cpp
    ${_dir}/CoursePage.h ${_dir}/CoursePage.cpp
    ${_dir}/Unit3.h ${_dir}/Unit3.cpp
    ${_dir}/Unit9.h ${_dir}/Unit9.cpp
)
