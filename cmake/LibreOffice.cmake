# LibreOffice's C++ UNO SDK: the office API headers are generated from the type libraries at build time into
# ${CMAKE_BINARY_DIR}/uno-gen, and the INTERFACE library lo_uno carries everything needed to compile and link
# against UNO. Only the office bridge module links it.
option(QUOTALY_WITH_LIBREOFFICE "Build the LibreOffice bridge (needs libreoffice-dev)" ON)

set(LO_PROGRAM_DIR "/usr/lib/libreoffice/program" CACHE PATH "LibreOffice program folder (soffice, types.rdb)")
set(LO_SDK_DIR "/usr/lib/libreoffice/sdk" CACHE PATH "LibreOffice SDK folder (bin/cppumaker, lib/)")
set(LO_INCLUDE_DIR "/usr/include/libreoffice" CACHE PATH "LibreOffice SDK headers (sal, rtl, cppu ...)")

if(NOT QUOTALY_WITH_LIBREOFFICE)
    return()
endif()

set(_lo_types_rdb "${LO_PROGRAM_DIR}/types.rdb")
set(_lo_offapi_rdb "${LO_PROGRAM_DIR}/types/offapi.rdb")
find_program(LO_CPPUMAKER cppumaker PATHS "${LO_SDK_DIR}/bin" NO_DEFAULT_PATH)

set(_lo_missing)
foreach(_file "${_lo_types_rdb}" "${_lo_offapi_rdb}" "${LO_INCLUDE_DIR}/sal/types.h")
    if(NOT EXISTS "${_file}")
        list(APPEND _lo_missing "${_file}")
    endif()
endforeach()
if(NOT LO_CPPUMAKER)
    list(APPEND _lo_missing "${LO_SDK_DIR}/bin/cppumaker")
endif()
if(_lo_missing)
    list(JOIN _lo_missing "\n    " _lo_missing_text)
    message(FATAL_ERROR
        "The LibreOffice SDK is missing:\n    ${_lo_missing_text}\n"
        "Install it with:\n    sudo apt-get install libreoffice-dev libreoffice-writer libreoffice-calc\n"
        "or configure with -DQUOTALY_WITH_LIBREOFFICE=OFF to build without the office bridge "
        "(set LO_PROGRAM_DIR / LO_SDK_DIR for a LibreOffice in another place).")
endif()

set(LO_UNO_GEN_DIR "${CMAKE_BINARY_DIR}/uno-gen")
set(_lo_stamp "${LO_UNO_GEN_DIR}/uno-gen.stamp")
# -Gc rewrites only headers whose content changed, so a rerun does not rebuild the bridge.
add_custom_command(
    OUTPUT "${_lo_stamp}"
    COMMAND "${LO_CPPUMAKER}" -Gc "-O${LO_UNO_GEN_DIR}" "${_lo_types_rdb}" "${_lo_offapi_rdb}"
    COMMAND "${CMAKE_COMMAND}" -E touch "${_lo_stamp}"
    DEPENDS "${_lo_types_rdb}" "${_lo_offapi_rdb}"
    COMMENT "Generating the UNO C++ headers"
    VERBATIM)
add_custom_target(uno_headers DEPENDS "${_lo_stamp}")

add_library(lo_uno INTERFACE)
add_dependencies(lo_uno uno_headers)
# SYSTEM: the SDK and generated headers must not trip the project's warnings (-Werror).
target_include_directories(lo_uno SYSTEM INTERFACE "${LO_UNO_GEN_DIR}" "${LO_INCLUDE_DIR}")
target_compile_definitions(lo_uno INTERFACE LINUX UNX GCC CPPU_ENV=gcc3)
# UNO's bridge proxies have vtables made at run time without C++ type information: the sanitizer's vptr check
# would report every call through them.
if(QUOTALY_SANITIZE)
    target_compile_options(lo_uno INTERFACE -fno-sanitize=vptr)
endif()
target_link_directories(lo_uno INTERFACE "${LO_SDK_DIR}/lib")
# libuno_cppuhelpergcc3 needs private libraries that live only in the program folder.
target_link_options(lo_uno INTERFACE "LINKER:-rpath-link,${LO_PROGRAM_DIR}")
target_link_libraries(lo_uno INTERFACE uno_sal uno_cppu uno_cppuhelpergcc3 uno_salhelpergcc3)
