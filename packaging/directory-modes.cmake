# Run by cpack once it has installed the package's files into its staging folder, before it makes
# the archive: every directory 0755, whatever the umask of the build left (cpack makes /usr, /etc
# and the folders below them itself, with the umask's modes).
file(GLOB_RECURSE TEMPO_STAGED LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(entry IN LISTS TEMPO_STAGED)
  if(IS_DIRECTORY "${entry}" AND NOT IS_SYMLINK "${entry}")
    file(CHMOD "${entry}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                                      WORLD_EXECUTE)
  endif()
endforeach()
