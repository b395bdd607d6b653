# Installs the build into PREFIX (emptied first), then runs PREFIX/bin/kelmar --plugins from another
# folder with neither KELMAR_PLUGIN_PATH nor LD_LIBRARY_PATH: the plug-in must be listed from PREFIX.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}" RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
   message(FATAL_ERROR "cmake --install failed (${rc})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=KELMAR_PLUGIN_PATH --unset=LD_LIBRARY_PATH QT_QPA_PLATFORM=offscreen
   "${PREFIX}/bin/kelmar" --plugins
   WORKING_DIRECTORY "${PREFIX}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
   message(FATAL_ERROR "installed kelmar --plugins failed (${rc}): ${err}")
endif()
string(FIND "${out}" "KelOdbcImport" iName)
string(FIND "${out}" "${PREFIX}/bin/plugins/libKelOdbcImport.so" iPath)
if(iName EQUAL -1 OR iPath EQUAL -1)
   message(FATAL_ERROR "the installed plug-in is not listed:\n${out}\n${err}")
endif()
# the installed program and plug-in use the installed libraries, not the build tree's
execute_process(COMMAND ldd "${PREFIX}/bin/kelmar" "${PREFIX}/bin/plugins/libKelOdbcImport.so" OUTPUT_VARIABLE libs)
string(FIND "${libs}" "${BUILD_DIR}/bin/lib" iBuild)
string(FIND "${libs}" "not found" iMissing)
if(NOT iBuild EQUAL -1 OR NOT iMissing EQUAL -1)
   message(FATAL_ERROR "installed files resolve their libraries wrongly:\n${libs}")
endif()
message(STATUS "installed kelmar lists ${PREFIX}/bin/plugins/libKelOdbcImport.so")
