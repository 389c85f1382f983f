# Read by cpack before it builds a package (CPACK_PROJECT_CONFIG_FILE).
# CPack stamps every file and folder of the package's archives, and the
# archives themselves, with SOURCE_DATE_EPOCH when it is set; this sets it
# when the caller has not, so two builds of one commit give the same package:
#   1. the caller's SOURCE_DATE_EPOCH, as Debian's reproducible builds pass it;
#   2. the time of the last commit, in a git checkout;
#   3. the time of the latest entry of packaging/changelog, outside one
#      (a source tree unpacked from an archive).
# CPACK_ZARVY_SOURCE_DIR names the source tree.

if(DEFINED ENV{SOURCE_DATE_EPOCH} AND NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    # CPack ignores a value that is not a whole number without a word.
    if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
        message(FATAL_ERROR "SOURCE_DATE_EPOCH is '$ENV{SOURCE_DATE_EPOCH}', not seconds since 1970")
    endif()
    return()
endif()

set(zarvy_epoch "")
# Only the source tree's own history counts, not that of a repository the
# tree happens to be unpacked in; .git is a folder, or a file in a worktree.
find_program(ZARVY_GIT git)
if(ZARVY_GIT AND EXISTS "${CPACK_ZARVY_SOURCE_DIR}/.git")
    execute_process(COMMAND "${ZARVY_GIT}" log -1 --format=%ct
        WORKING_DIRECTORY "${CPACK_ZARVY_SOURCE_DIR}"
        OUTPUT_VARIABLE zarvy_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
        ERROR_QUIET)
endif()
if(NOT zarvy_epoch MATCHES "^[0-9]+$")
    execute_process(COMMAND dpkg-parsechangelog -l "${CPACK_ZARVY_SOURCE_DIR}/packaging/changelog" -S Timestamp
        OUTPUT_VARIABLE zarvy_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
        ERROR_QUIET)
endif()
if(zarvy_epoch MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} "${zarvy_epoch}")
else()
    message(WARNING "No commit or changelog time for SOURCE_DATE_EPOCH: the package carries the time of its build")
endif()
