# Installs the build into PREFIX (emptied first), then runs PREFIX/bin/kelmar --plugins from another
# folder with neither KELMAR_PLUGIN_PATH nor LD_LIBRARY_PATH: the plug-in must be listed from PREFIX,
# and the installed files must use the installed libraries, not the build tree's. An import through the installed
# host reads through the reading program installed beside the plug-in.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}" RESULT_VARIABLE rc OUTPUT_QUIET)
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=KELMAR_PLUGIN_PATH --unset=LD_LIBRARY_PATH QT_QPA_PLATFORM=offscreen
   "${PREFIX}/bin/kelmar" --plugins WORKING_DIRECTORY "${PREFIX}" OUTPUT_VARIABLE out ERROR_VARIABLE out)
execute_process(COMMAND ldd "${PREFIX}/bin/kelmar" "${PREFIX}/bin/plugins/libKelOdbcImport.so" "${PREFIX}/bin/plugins/kel_odbc_import_read" OUTPUT_VARIABLE libs)
if(NOT rc EQUAL 0 OR NOT out MATCHES "KelOdbcImport [^\n]*\n[^\n]*\n *${PREFIX}/bin/plugins/libKelOdbcImport.so" OR libs MATCHES "not found|${BUILD_DIR}/bin/lib")
   message(FATAL_ERROR "install (${rc}) or installed plug-in wrong:\n${out}\n${libs}")
endif()
execute_process(COMMAND sqlite3 "${PREFIX}/shop.db" "CREATE TABLE installed_table (id INTEGER PRIMARY KEY)")
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=KELMAR_PLUGIN_PATH --unset=LD_LIBRARY_PATH QT_QPA_PLATFORM=offscreen
   "${PREFIX}/bin/kelmar" --project "${PREFIX}/shop.kelmar" --import KelOdbcImport "--KelOdbcImport_dsn=Driver=SQLite3;Database=${PREFIX}/shop.db"
   --KelOdbcImport_db_type=5 RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out MATCHES "entity installed_table")
   message(FATAL_ERROR "import through the installed plug-in failed (${rc}):\n${out}")
endif()
