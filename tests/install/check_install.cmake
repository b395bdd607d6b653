# Installs the build into PREFIX (emptied first), then runs PREFIX/bin/kelmar --plugins from another
# folder with neither KELMAR_PLUGIN_PATH nor LD_LIBRARY_PATH: the plug-in must be listed from PREFIX,
# and the installed files must use the installed libraries, not the build tree's.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}" RESULT_VARIABLE rc OUTPUT_QUIET)
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=KELMAR_PLUGIN_PATH --unset=LD_LIBRARY_PATH QT_QPA_PLATFORM=offscreen
   "${PREFIX}/bin/kelmar" --plugins WORKING_DIRECTORY "${PREFIX}" OUTPUT_VARIABLE out ERROR_VARIABLE out)
execute_process(COMMAND ldd "${PREFIX}/bin/kelmar" "${PREFIX}/bin/plugins/libKelOdbcImport.so" OUTPUT_VARIABLE libs)
if(NOT rc EQUAL 0 OR NOT out MATCHES "KelOdbcImport [^\n]*\n[^\n]*\n *${PREFIX}/bin/plugins/libKelOdbcImport.so" OR libs MATCHES "not found|${BUILD_DIR}/bin/lib")
   message(FATAL_ERROR "install (${rc}) or installed plug-in wrong:\n${out}\n${libs}")
endif()
