# cmake -DDIR=<dir> -P ResetResults.cmake: an empty results directory, so that the goals table
# never reads a figure of an earlier run.
file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR})
