# The four delivered tables are generated from the store's field table
# (src/store/tableschema.cpp) at build time
# into build/tables, and copied beside the program (build/bin/data) only where
# a table is missing there: the tables beside the program hold the user's
# records once the program has run, and a rebuild must not wipe them. The
# tests start from the generated ones.
set(_tables options.dbf customer.dbf dtchead.dbf dtcmain.dbf)
list(TRANSFORM _tables PREPEND ${OBD_TABLES_DIR}/ OUTPUT_VARIABLE _table_files)
add_custom_command(
    OUTPUT ${_table_files}
    COMMAND mkdbf ${OBD_TABLES_DIR}
    DEPENDS mkdbf
    COMMENT "Generating the delivered tables")
add_custom_target(tables ALL
    COMMAND ${CMAKE_COMMAND} -DFROM=${OBD_TABLES_DIR} -DTO=${OBD_BIN_DIR}/data
            -P ${CMAKE_CURRENT_SOURCE_DIR}/copy-missing-tables.cmake
    DEPENDS ${_table_files})
