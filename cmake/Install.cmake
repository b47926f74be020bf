# The installed tree and its packages:
#   bin/velmora-host
#   lib/velmora/libvelmora_rtl.so, libvelmora_suite.so
#   lib/velmora/context/Velmora.so, lib/velmora/automation/Velmora.so
# Run paths are relative to each file ($ORIGIN), so the tree runs from
# wherever it is copied; the host finds the editions relative to itself.
include(GNUInstallDirs)

set(VELMORA_INSTALL_LIBDIR lib/velmora)

set_target_properties(velmora-host PROPERTIES INSTALL_RPATH "$ORIGIN/../${VELMORA_INSTALL_LIBDIR}")
set_target_properties(velmora_rtl velmora_suite PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(velmora_context velmora_automation PROPERTIES INSTALL_RPATH "$ORIGIN/..")

install(TARGETS velmora-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS velmora_rtl velmora_suite LIBRARY DESTINATION ${VELMORA_INSTALL_LIBDIR})
install(TARGETS velmora_context LIBRARY DESTINATION ${VELMORA_INSTALL_LIBDIR}/context)
install(TARGETS velmora_automation LIBRARY DESTINATION ${VELMORA_INSTALL_LIBDIR}/automation)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/velmora)

set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "Corvane")
set(CPACK_PACKAGE_CONTACT "Corvane Velmora team <velmora@corvane.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Velmora password module and its reference host")
set(CPACK_PACKAGE_DESCRIPTION
    "Velmora lets the signed-in user of a business application change their own login password. The package holds both editions of the plug-in (context and automation), the toolkit runtime and component suite they run on, and the reference host velmora-host, which shows the dialog on a terminal or under a script over an SQLite database.")
set(CPACK_GENERATOR "TGZ;DEB")
set(CPACK_STRIP_FILES OFF)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://corvane.invalid/velmora")
find_program(VELMORA_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(VELMORA_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The package's own libraries are found through their run paths, not as dependencies.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
      ${CMAKE_BINARY_DIR}/lib ${CMAKE_BINARY_DIR}/context ${CMAKE_BINARY_DIR}/automation)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6, libsqlite3-0, libssl3, libelf1, libodbc2")
endif()
include(CPack)
