# tools/release.cmake: the `release` target of the i686 build, what a technician carries to a
# Windows 95 machine, in <build>/release: KORVALIN.EXE (the stripped program), README.TXT and
# korvalin.img, a 1.44 MB floppy image holding both. Made on demand, not by every build, since
# the image needs mtools. The x86_64 program only runs the tests, so that build has no release.
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
    return()
endif()

set(korvalin_release_dir ${CMAKE_BINARY_DIR}/release)
set(korvalin_release_files
    ${korvalin_release_dir}/KORVALIN.EXE ${korvalin_release_dir}/README.TXT
    ${korvalin_release_dir}/korvalin.img)
set(korvalin_readme ${PROJECT_SOURCE_DIR}/docs/README.TXT)
add_custom_command(OUTPUT ${korvalin_release_files}
    COMMAND sh ${PROJECT_SOURCE_DIR}/tools/make-release.sh
            $<TARGET_FILE:korvalin> ${korvalin_readme} ${korvalin_release_dir}
    DEPENDS korvalin $<TARGET_FILE:korvalin> ${korvalin_readme}
            ${PROJECT_SOURCE_DIR}/tools/make-release.sh
    COMMENT "Making the release in ${korvalin_release_dir}"
    VERBATIM)
add_custom_target(release DEPENDS ${korvalin_release_files})
# Where the tests find it.
set_target_properties(release PROPERTIES
    RELEASE_DIR ${korvalin_release_dir} RELEASE_README_SOURCE ${korvalin_readme})
