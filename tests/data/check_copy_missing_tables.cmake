# A table the program folder already holds (with the user's records) stays as
# it is; a missing one is put there from the generated set.
file(REMOVE_RECURSE ${WORK})
file(WRITE ${WORK}/generated/customer.dbf "generated customers")
file(WRITE ${WORK}/generated/options.dbf "generated options")
file(WRITE ${WORK}/program/data/customer.dbf "saved customers")

set(FROM ${WORK}/generated)
set(TO ${WORK}/program/data)
include(${SCRIPT})

file(READ ${WORK}/program/data/customer.dbf kept)
if(NOT kept STREQUAL "saved customers")
    message(FATAL_ERROR "customer.dbf was overwritten: '${kept}'")
endif()
if(NOT EXISTS ${WORK}/program/data/options.dbf)
    message(FATAL_ERROR "the missing options.dbf was not copied")
endif()
file(READ ${WORK}/program/data/options.dbf copied)
if(NOT copied STREQUAL "generated options")
    message(FATAL_ERROR "options.dbf has '${copied}'")
endif()
