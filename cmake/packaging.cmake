# The program as a desktop application and as a Debian package: manual
# pages, desktop entry, AppStream metainfo, the SMD file type, the
# thumbnailer entry, the icons drawn from our own character, the Debian
# documents, and CPack's DEB generator (`cpack --config
# build/CPackConfig.cmake`, or scripts/package-check.sh, which also checks
# the package).
#
# CPack rather than debhelper: the package is made from the same install()
# rules as `cmake --install`, from the build folder the tests already built,
# in seconds; debhelper would build the whole tree a second time in a tree
# of its own and keep a second description of what is installed in debian/.
include(GNUInstallDirs)

# The application's id names the desktop entry, the metainfo, the MIME
# package and the icons. We have no domain of our own; io.github.<owner> is
# the reverse-DNS form for projects published on GitHub (the owner
# "reflect-refract" with its hyphen as an underscore, which D-Bus names and
# the AppStream rules need).
set(RR_APP_ID io.github.reflect_refract.ReflectRefract)
set(rr_desktop_dir ${PROJECT_SOURCE_DIR}/data/desktop)

# The version, as --version prints it.
file(STRINGS ${PROJECT_SOURCE_DIR}/src/app/version.h rr_version_line REGEX "kProgramVersion")
string(REGEX MATCH "\"([0-9.]+)\"" rr_version_quoted "${rr_version_line}")
set(RR_VERSION ${CMAKE_MATCH_1})
if(NOT RR_VERSION)
  message(FATAL_ERROR "no version found in src/app/version.h")
endif()

# What run.sh builds: the program, its effect and the assets it reads.
add_custom_target(rr_program DEPENDS reflect-refract rr_effect_shaders assetgen_run)

# --- Manual pages, gzipped with no name or time stamp (gzip -9n), as Debian
# wants them.
file(GLOB rr_man_pages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.1)
set(rr_man_dir ${CMAKE_BINARY_DIR}/man)
set(rr_man_outputs)
foreach(page ${rr_man_pages})
  get_filename_component(name ${page} NAME)
  add_custom_command(OUTPUT ${rr_man_dir}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${rr_man_dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${page} ${rr_man_dir}/${name}
    COMMAND gzip -9nf ${rr_man_dir}/${name}
    DEPENDS ${page}
    COMMENT "Compressing the manual page ${name}"
    VERBATIM)
  list(APPEND rr_man_outputs ${rr_man_dir}/${name}.gz)
endforeach()
add_custom_target(rr_man_pages ALL DEPENDS ${rr_man_outputs})
install(FILES ${rr_man_outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# --- Icons: hicolor PNGs and a scalable SVG of our character from the front.
set(rr_icon_sizes 16 22 24 32 48 64 128 256)
set(rr_icon_reference ${RR_RUN_DIR}/Model/SMD/Pudo_Red/Ref_Red.smd)
set(rr_icon_dir ${CMAKE_BINARY_DIR}/icons/hicolor)

# The command that draws a PNG icon, called as COMMAND SIZE REFERENCE OUT.png:
# the program itself, offscreen (--thumbnail), so the icons are the character
# as the program shows it. In a sanitizer build the GL driver's leaks would
# end the run with an error: leak checking is off for it there.
# The scalable icon stays iconmaker's vector drawing (a raster picture in an
# SVG would not scale); it is the same character from the same side.
if(RR_SANITIZE)
  set(rr_icon_png_command ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
      $<TARGET_FILE:reflect-refract> --thumbnail)
else()
  set(rr_icon_png_command $<TARGET_FILE:reflect-refract> --thumbnail)
endif()
set(rr_icon_png_depends reflect-refract rr_effect_shaders)

set(rr_icon_outputs)
foreach(size ${rr_icon_sizes})
  set(folder ${rr_icon_dir}/${size}x${size}/apps)
  add_custom_command(OUTPUT ${folder}/${RR_APP_ID}.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${rr_icon_png_command} ${size} ${rr_icon_reference} ${folder}/${RR_APP_ID}.png
    DEPENDS ${rr_icon_png_depends} ${rr_icon_reference}
    COMMENT "Drawing the ${size}-pixel icon"
    VERBATIM)
  list(APPEND rr_icon_outputs ${folder}/${RR_APP_ID}.png)
endforeach()
set(folder ${rr_icon_dir}/scalable/apps)
add_custom_command(OUTPUT ${folder}/${RR_APP_ID}.svg
  COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
  COMMAND iconmaker --svg ${rr_icon_reference} ${folder}/${RR_APP_ID}.svg
  DEPENDS iconmaker ${rr_icon_reference}
  COMMENT "Drawing the scalable icon"
  VERBATIM)
list(APPEND rr_icon_outputs ${folder}/${RR_APP_ID}.svg)
add_custom_target(rr_icons ALL DEPENDS ${rr_icon_outputs})
# The reference is written by assetgen's run, in another folder.
add_dependencies(rr_icons assetgen_run)
install(DIRECTORY ${rr_icon_dir} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# --- Desktop entry, metainfo, file type, thumbnailer.
install(FILES ${rr_desktop_dir}/${RR_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${rr_desktop_dir}/${RR_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${rr_desktop_dir}/${RR_APP_ID}.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${rr_desktop_dir}/reflect-refract.thumbnailer
        DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers)

# --- Debian documents: the machine-readable copyright, the changelog and
# lintian's overrides (each with its reason).
set(rr_debian_dir ${PROJECT_SOURCE_DIR}/data/debian)
set(rr_changelog_gz ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz)
add_custom_command(OUTPUT ${rr_changelog_gz}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/debian
  COMMAND ${CMAKE_COMMAND} -E copy ${rr_debian_dir}/changelog
          ${CMAKE_BINARY_DIR}/debian/changelog.Debian
  COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/debian/changelog.Debian
  DEPENDS ${rr_debian_dir}/changelog
  COMMENT "Compressing the Debian changelog"
  VERBATIM)
add_custom_target(rr_debian_changelog ALL DEPENDS ${rr_changelog_gz})
install(FILES ${rr_debian_dir}/copyright ${rr_changelog_gz}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/reflect-refract)
install(FILES ${rr_debian_dir}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME reflect-refract)

# --- The Debian package.
# What the package holds, built without the tests and benchmarks; `make
# install` and CPack build this much only (scripts/package-check.sh builds
# it first), as `cmake --install` never builds anything.
add_custom_target(rr_installed DEPENDS rr_program smdinfo smd2gltf rr_man_pages rr_icons
                  rr_debian_changelog)
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

# The package's revision: the number after the version in data/debian/changelog.
file(STRINGS ${rr_debian_dir}/changelog rr_changelog_top LIMIT_COUNT 1)
string(REGEX MATCH "\\(([^)-]+)-([^)]+)\\)" rr_changelog_version "${rr_changelog_top}")
if(NOT CMAKE_MATCH_1 STREQUAL RR_VERSION)
  message(FATAL_ERROR
          "data/debian/changelog starts at ${CMAKE_MATCH_1}, the program is ${RR_VERSION}")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_2})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${rr_debian_dir}/changelog ${PROJECT_SOURCE_DIR}/src/app/version.h)

set(RR_PACKAGE_MAINTAINER
    "The reflect-refract developers <maintainers@users.noreply.c-seed-922b306f.example>"
    CACHE STRING "The Debian package's Maintainer field")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME reflect-refract)
set(CPACK_PACKAGE_VERSION ${RR_VERSION})
set(CPACK_PACKAGE_CONTACT ${RR_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "skinned SMD character viewer with HLSL reflection and refraction")
set(CPACK_PACKAGE_DESCRIPTION
    "Shows a small horned creature, read from SMD text files and skinned every
frame, through an HLSL effect that reflects or refracts a snowy cube map,
inside a sky box of the same environment, with a free camera. It also views
other SMD characters with their animation clips, takes any DDS cube map and
HLSL effect, compiles the effect again each time it is saved, and saves
pictures unattended.

Two tools come with it: smdinfo prints what an SMD file holds as JSON, and
smd2gltf writes a character as a binary glTF 2.0 file.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries the programs link (dpkg-shlibdeps: libEGL among them, for
# drawing with no display; libegl1 brings Mesa's EGL), and what they load
# without linking it: Mesa's drivers (libepoxy opens libGL at run time;
# llvmpipe is the OpenGL 4.5 driver of last resort) and the HUD's
# fonts, found through fontconfig (Arial's metric twin and a Korean face).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libgl1, libegl1, libgl1-mesa-dri, fontconfig, fonts-liberation2, fonts-nanum")
include(CPack)
