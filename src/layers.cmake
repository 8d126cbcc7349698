# The layers and what each may include; run at every build (target `layers`)
# with -DSRC=<the src folder>. A folder's files may include their own folder
# and the folders listed for it, nothing else: a window folder that includes
# the main window's header, or the data layer a window's, stops the build.
# The same direction holds for the libraries in src/CMakeLists.txt.
set(_layers
  "db:db"
  "platform:platform,db"
  "widgets:widgets,db"
  "report:report"
  "import/csv:import/csv"
  "data:data,db,platform"
  "import:import,import/csv,data,db,widgets,report,platform"
  "customers:customers,data,db,widgets,report,platform"
  "courses:courses,data,db,widgets,report,platform"
  "staff_docs:staff_docs,data,db,widgets,report,platform"
  "billing:billing,data,db,widgets,report,platform"
  "shell:shell,customers,courses,staff_docs,import,billing,import/csv,data,db,widgets,report,platform")

set(_faults "")
foreach(_entry ${_layers})
  string(REPLACE ":" ";" _pair "${_entry}")
  list(GET _pair 0 _folder)
  list(GET _pair 1 _allowed)
  string(REPLACE "," ";" _allowed "${_allowed}")
  file(GLOB _files ${SRC}/${_folder}/*.cpp ${SRC}/${_folder}/*.h)
  foreach(_file ${_files})
    file(STRINGS ${_file} _includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[^\"]*/")
    foreach(_line ${_includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]*)/[^/\"]*\".*" "\\1" _dir "${_line}")
      list(FIND _allowed "${_dir}" _found)
      if(_found EQUAL -1)
        file(RELATIVE_PATH _rel ${SRC} ${_file})
        string(REPLACE ";" ", " _may "${_allowed}")
        list(APPEND _faults "${_rel}: ${_line} (src/${_folder} may include: ${_may})")
      endif()
    endforeach()
  endforeach()
endforeach()

if(_faults)
  string(REPLACE ";" "\n  " _text "${_faults}")
  message(FATAL_ERROR "Includes against the layers:\n  ${_text}")
endif()
