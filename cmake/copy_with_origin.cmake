# cmake -DSRC=<file> -DDST=<file> [-DORIGIN=ON] -P copy_with_origin.cmake
# Copies a program or shared library into an application folder or a kit. With ORIGIN its run
# path becomes "$ORIGIN" alone: it finds the project's libraries beside itself, so the folder
# works wherever it is copied, with no path into the build tree left in it.
file(COPY_FILE "${SRC}" "${DST}")
if(ORIGIN)
  file(RPATH_SET FILE "${DST}" NEW_RPATH "$ORIGIN")
endif()
