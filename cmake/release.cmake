# What makes the shipped files reproducible, and signed when a certificate is given.
#
# Two builds of the same commit give the same bytes wherever, whenever and by whomever they are
# made: every time stamped into a shipped file (the programs' link time, the setups' and their
# files', the zips' entries, the signatures' signing time) is TW_SOURCE_DATE_EPOCH, the last
# commit's time (SOURCE_DATE_EPOCH when set), and no path of the building machine gets into a
# program. Signing (scripts/sign) needs TW_SIGN_PKCS12, which scripts/build sets from the
# environment; the password stays in the environment of the build and is never written here.

# The time, in seconds since 1970, decided at every configure (scripts/build configures at
# every run, so a new commit is seen).
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
    # safe.directory: a checkout that belongs to another user (a build run through sudo) is
    # still read, rather than falling back to another time.
    execute_process(COMMAND git -c safe.directory=${CMAKE_SOURCE_DIR} -C ${CMAKE_SOURCE_DIR} log -1 --format=%ct
        OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE git_result)
    if(NOT git_result EQUAL 0 OR epoch STREQUAL "")
        # 1980-01-01, the earliest time a zip entry can hold.
        set(epoch 315532800)
        message(WARNING "Neither SOURCE_DATE_EPOCH nor a git history: the shipped files are stamped 1980-01-01")
    endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH must be seconds since 1970, not \"${epoch}\"")
endif()
set(TW_SOURCE_DATE_EPOCH ${epoch} CACHE INTERNAL "The time stamped into every shipped file")

# __FILE__ (assertions) and debug information name sources relative to the source and build
# folders, whatever their absolute paths.
add_compile_options(
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>"
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>")

set(TW_SIGN_PKCS12 "" CACHE FILEPATH "PKCS#12 file with the certificate that signs the programs and setups (empty: unsigned)")
set(TW_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server that countersigns the signatures (empty: none)")
set(TW_SIGN ${CMAKE_SOURCE_DIR}/scripts/sign)
# What the commands that stamp and sign run: a change remakes what they made.
set(TW_SIGN_TOOLS ${TW_SIGN} ${CMAKE_SOURCE_DIR}/scripts/pe-stamp)
# The environment of every command that stamps or signs: the build's settings, whatever the
# environment of a later `cmake --build` holds (the password excepted).
set(TW_SIGN_ENV ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${TW_SOURCE_DATE_EPOCH}
    TW_SIGN_PKCS12=${TW_SIGN_PKCS12} TW_SIGN_TIMESTAMP_URL=${TW_SIGN_TIMESTAMP_URL})

# The publisher named by the setups (Apps & Features, version information): the certificate's
# subject when there is one.
if(TW_SIGN_PKCS12)
    execute_process(COMMAND ${TW_SIGN_ENV} ${TW_SIGN} --subject
        OUTPUT_VARIABLE TW_PUBLISHER OUTPUT_STRIP_TRAILING_WHITESPACE
        ERROR_VARIABLE sign_error RESULT_VARIABLE sign_result)
    if(NOT sign_result EQUAL 0 OR TW_PUBLISHER STREQUAL "")
        message(FATAL_ERROR "Cannot sign with ${TW_SIGN_PKCS12}: ${sign_error}")
    endif()
    file(SHA256 ${TW_SIGN_PKCS12} certificate_hash)
else()
    set(TW_PUBLISHER "Tetherwatch developers")
    set(certificate_hash none)
endif()

# A file that changes with the signing, so that a new certificate (even in the same file), a new
# server or a switch between signed and unsigned relinks and re-signs the programs and makes
# the setups and zips again (configure_file writes it only when its contents change).
set(TW_SIGNING_FILE ${CMAKE_BINARY_DIR}/generated/signing.txt)
file(WRITE ${CMAKE_BINARY_DIR}/generated/signing.txt.in
    "certificate ${certificate_hash}\ntime-stamp server ${TW_SIGN_TIMESTAMP_URL}\npublisher ${TW_PUBLISHER}\n")
configure_file(${CMAKE_BINARY_DIR}/generated/signing.txt.in ${TW_SIGNING_FILE} COPYONLY)

# A shipped program: linked with the fixed time stamp (GNU ld reads SOURCE_DATE_EPOCH), then
# signed when a certificate is given.
function(tw_release_program name)
    set_property(TARGET ${name} PROPERTY CXX_LINKER_LAUNCHER
        ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${TW_SOURCE_DATE_EPOCH})
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${TW_SIGNING_FILE} ${TW_SIGN})
    add_custom_command(TARGET ${name} POST_BUILD
        COMMAND ${TW_SIGN_ENV} ${TW_SIGN} $<TARGET_FILE:${name}>
        VERBATIM)
endfunction()
