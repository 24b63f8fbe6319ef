# The Windows download: kovarra-<version>-win64.zip with kovarra.exe and a short read-me.
install(TARGETS kovarra RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/ui/win32/README.txt DESTINATION .)

set(CPACK_PACKAGE_NAME "kovarra")
set(CPACK_PACKAGE_VENDOR "KovarraV2.0")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR "ZIP")
set(CPACK_PACKAGE_FILE_NAME "kovarra-${PROJECT_VERSION}-win64")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
