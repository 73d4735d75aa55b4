# Lays out the run-time folders beside a built binary: cmake -DSRC=<runtime> -DDST=<binary dir> -P CopyRuntime.cmake
# Data/ holds the user's own data once the program has run, so its files are copied only when missing;
# Lang/ and Help/ belong to the program and follow the sources.
file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/*)
foreach(rel ${files})
    set(target ${DST}/${rel})
    if(rel MATCHES "^Data/")
        if(NOT EXISTS ${target})
            configure_file(${SRC}/${rel} ${target} COPYONLY)
        endif()
    else()
        configure_file(${SRC}/${rel} ${target} COPYONLY)
    endif()
endforeach()
