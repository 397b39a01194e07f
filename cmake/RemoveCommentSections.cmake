# Run by CPack on the staged package, after stripping: removes the .comment section (the
# compilers' version notes) from every program, as Debian's strip does.
file(GLOB programs ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/* ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/bin/*)
foreach(program IN LISTS programs)
    execute_process(COMMAND ${CPACK_PALVORN_OBJCOPY} --remove-section=.comment ${program}
                    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
