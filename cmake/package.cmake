# The Debian package: the program (and its window program), its user guide and the list of
# date-time forms the guide links to in one folder, where the program keeps config.ini and log/
# beside itself, the systemd unit, the manual page and the service user.
set(csv2sql_folder opt/csv2sql)
install(TARGETS csv2sql RUNTIME DESTINATION ${csv2sql_folder})
if(TARGET csv2sql-window)
  install(TARGETS csv2sql-window RUNTIME DESTINATION ${csv2sql_folder})
endif()
install(FILES ${PROJECT_SOURCE_DIR}/docs/user-guide.html
              ${PROJECT_SOURCE_DIR}/docs/datetime-forms.md DESTINATION ${csv2sql_folder})
install(FILES ${PROJECT_SOURCE_DIR}/contrib/csv2sql.service DESTINATION lib/systemd/system)

set(manual ${CMAKE_BINARY_DIR}/csv2sql.1.gz)
add_custom_command(OUTPUT ${manual}
                   COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/contrib/csv2sql.1 > ${manual}
                   DEPENDS ${PROJECT_SOURCE_DIR}/contrib/csv2sql.1)
add_custom_target(csv2sql_manual ALL DEPENDS ${manual})
install(FILES ${manual} DESTINATION usr/share/man/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME csv2sql)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "moves time-stamped readings from CSV files into a SQL table")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "csv2sql maintainers <maintainers@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The offsets of --utc-periods and "Fill" come from the system's zone files; the import
# ledger's hash is libxxhash's.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "tzdata, passwd, libxxhash0")
# libpq is opened only when a PostgreSQL connection starts, so no shared-library dependency names it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libpq5, unixodbc, odbc-postgresql, tdsodbc")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/contrib/debian/postinst)
include(CPack)
