# cmake -DSOURCE=dir -DSTUB=path -DBRAND=dir -DSCRATCH=dir [-DEPOCH=seconds] -P check-reproducible.cmake
# Builds the stub again from a copy of the sources elsewhere: a vendor must be able to rebuild the stub they
# ship and get the same bytes. BRAND: STUB's brand folder; EPOCH: the SOURCE_DATE_EPOCH STUB's build saw, if any.
file(REMOVE_RECURSE "${SCRATCH}")
# Everything but the outputs and the history: the copy's own build must not touch ours.
file(GLOB entries LIST_DIRECTORIES true "${SOURCE}/*")
list(FILTER entries EXCLUDE REGEX "/(build|dist|\\.git)$")
file(COPY ${entries} DESTINATION "${SCRATCH}/src")
unset(ENV{SOURCE_DATE_EPOCH})
if(NOT EPOCH STREQUAL "")
  set(ENV{SOURCE_DATE_EPOCH} "${EPOCH}")
endif()
foreach(step "--preset;windows;-DBUILD_TESTING=OFF;-DORVANE_BRAND_DIR=${BRAND}" "--build;--preset;windows;--target;OrvaneFirmUp")
  execute_process(COMMAND ${CMAKE_COMMAND} ${step} WORKING_DIRECTORY "${SCRATCH}/src" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(SHA256 "${STUB}" first)
file(SHA256 "${SCRATCH}/src/dist/OrvaneFirmUp.exe" second)
if(NOT first STREQUAL second)
  message(FATAL_ERROR "the stub built again in ${SCRATCH}/src (${second}) differs from ${STUB} (${first}); "
                      "both are kept (is the build up to date?)")
endif()
file(REMOVE_RECURSE "${SCRATCH}")
