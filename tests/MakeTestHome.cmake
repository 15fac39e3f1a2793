# Empties the home folder the tests run with and makes its runtime folder private,
# as the XDG rules and Qt want it.
#   cmake -DHOME=<folder> -P MakeTestHome.cmake
file(REMOVE_RECURSE ${HOME})
file(MAKE_DIRECTORY ${HOME}/.config ${HOME}/run)
file(CHMOD ${HOME}/run PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
