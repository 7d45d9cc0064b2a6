# cmake -DFROM=<dir> -DTO=<dir> -P copy-missing-tables.cmake
# Copies each table of FROM into TO unless TO already has one of that name.
file(GLOB _tables RELATIVE ${FROM} ${FROM}/*.dbf)
file(MAKE_DIRECTORY ${TO})
foreach(t ${_tables})
    if(NOT EXISTS ${TO}/${t})
        file(COPY_FILE ${FROM}/${t} ${TO}/${t})
    endif()
endforeach()
