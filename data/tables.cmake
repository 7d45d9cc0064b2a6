# The four delivered tables are generated from tables.schema at build time.
set(_tables options.dbf customer.dbf dtchead.dbf dtcmain.dbf)
list(TRANSFORM _tables PREPEND ${OBD_BIN_DIR}/data/ OUTPUT_VARIABLE _table_files)
add_custom_command(
    OUTPUT ${_table_files}
    COMMAND mkdbf ${CMAKE_CURRENT_SOURCE_DIR}/tables.schema ${OBD_BIN_DIR}/data
    DEPENDS mkdbf ${CMAKE_CURRENT_SOURCE_DIR}/tables.schema
    COMMENT "Generating the delivered tables")
add_custom_target(tables ALL DEPENDS ${_table_files})
