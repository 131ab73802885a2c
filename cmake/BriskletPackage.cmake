# The Debian package (cpack -G DEB; scripts/package runs it). The library
# dependencies are computed from the installed programs by dpkg-shlibdeps; what
# the programs load at run time without linking it is named here.
set(CPACK_PACKAGE_NAME brisklet)
set(CPACK_PACKAGE_VENDOR "The Brisklet developers")
set(CPACK_PACKAGE_CONTACT "The Brisklet developers <brisklet@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "cut pieces out of audio files and join audio files")
set(CPACK_PACKAGE_DESCRIPTION
    "Brisklet builds a list of source files, marks the pieces wanted (per file,\n"
    "every N seconds, N equal pieces, or one shared list), and splits or joins\n"
    "them into MP3, WAV, WMA or Ogg Vorbis with fades, carrying the tags over.\n"
    "brisklet-cli runs the same jobs from the command line.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_HOMEPAGE_URL "https://brisklet.github.io/")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window needs a Qt platform plugin (the X11 and Wayland ones). FFmpeg's
# libraries (WMA and M4A) are loaded when first needed, so dpkg-shlibdeps does
# not see them: their packages are named after the versions built against.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
foreach(library libavformat libavcodec libavutil libswresample)
  string(REGEX MATCH "^[0-9]+" major "${FFMPEG_${library}_VERSION}")
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${library}${major}")
endforeach()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
include(CPack)
