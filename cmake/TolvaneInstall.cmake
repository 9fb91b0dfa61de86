# The icon sizes that are rendered, embedded and installed.
set(TOLVANE_ICON_SIZES 16 24 32 48 64 72 80 96 128 256)

# Installs a program of the project into the binary folder. Every program finds its helpers
# beside its own executable, so all of them go into the same folder. The names are collected,
# so a test can check that the installed tree holds every one of them.
function(tolvane_install_program target)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    set_property(GLOBAL APPEND PROPERTY TOLVANE_INSTALLED_PROGRAMS ${target})
endfunction()
