# Runs at install time (cmake --install, a package build): writes the files that start an
# installed program, naming it by its absolute path under the prefix chosen now, which may
# differ from the one configured. DESTDIR, a package's staging root, is no part of those
# paths; file(INSTALL) adds it when copying.
#
# Set by the caller: CHIMEWICK_PACKAGING_DIR (sources), CHIMEWICK_STAGING_DIR (scratch),
# CHIMEWICK_BINDIR, CHIMEWICK_HELPERDIR, CHIMEWICK_DATADIR (relative to the prefix),
# CHIMEWICK_DESKTOP_ID (the desktop entry's name).

get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(songsifter "${prefix}/${CHIMEWICK_BINDIR}/songsifter")
set(chooser "${prefix}/${CHIMEWICK_BINDIR}/chimewick-choose")
set(helper "${prefix}/${CHIMEWICK_HELPERDIR}/make-ringtone")

# A desktop entry's string value: every backslash doubled.
function(desktop_string text out)
    string(REPLACE "\\" "\\\\" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# One word of a desktop entry's Exec key: a literal % is doubled; a word with anything but
# plain path characters goes in double quotes, with " ` $ and \ escaped inside them.
function(desktop_exec_word path out)
    string(REPLACE "%" "%%" word "${path}")
    if(NOT word MATCHES "^[-A-Za-z0-9_./+,:=@%]+$")
        string(REPLACE "\\" "\\\\" word "${word}")
        string(REPLACE "\"" "\\\"" word "${word}")
        string(REPLACE "`" "\\`" word "${word}")
        string(REPLACE "$" "\\$" word "${word}")
        set(word "\"${word}\"")
    endif()
    desktop_string("${word}" word)
    set(${out} "${word}" PARENT_SCOPE)
endfunction()

# One word for a POSIX shell (and GLib's command-line parser, which Thunar uses).
function(shell_word path out)
    string(REPLACE "'" "'\\''" word "${path}")
    set(${out} "'${word}'" PARENT_SCOPE)
endfunction()

function(xml_text text out)
    string(REPLACE "&" "&amp;" text "${text}")
    string(REPLACE "<" "&lt;" text "${text}")
    string(REPLACE ">" "&gt;" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

desktop_exec_word("${songsifter}" SONGSIFTER_EXEC)
desktop_string("${songsifter}" SONGSIFTER_TRYEXEC)
desktop_exec_word("${chooser}" CHOOSER_EXEC)
desktop_exec_word("${helper}" HELPER_EXEC)
shell_word("${songsifter}" SONGSIFTER_SHELL)
shell_word("${chooser}" CHOOSER_SHELL)
shell_word("${helper}" helper_shell)
xml_text("${helper_shell}" HELPER_SHELL_XML)

set(in "${CHIMEWICK_PACKAGING_DIR}")
# One scratch folder per destination, so installations into several prefixes at once (the
# tests run in parallel) cannot hand each other their paths.
string(MD5 destination "$ENV{DESTDIR}${prefix}")
set(out "${CHIMEWICK_STAGING_DIR}/${destination}")
file(REMOVE_RECURSE "${out}")
set(entry "${CHIMEWICK_DESKTOP_ID}.desktop")
configure_file("${in}/${entry}.in" "${out}/applications/${entry}" @ONLY)
configure_file("${in}/chimewick-make-ringtone.desktop.in"
               "${out}/servicemenus/chimewick-make-ringtone.desktop" @ONLY)
foreach(thunar_action thunar-make-ringtone thunar-make-ringtone-choose)
    configure_file("${in}/${thunar_action}.xml.in" "${out}/${thunar_action}.xml" @ONLY)
endforeach()
configure_file("${in}/make-ringtone.sh.in" "${out}/helper/make-ringtone" @ONLY)
# GNOME Files names the menu entry after the file; the user links these into their scripts
# folder, and both lead on to the one helper, which tells them apart by that name.
file(RELATIVE_PATH link_target "${prefix}/${CHIMEWICK_DATADIR}/chimewick/nautilus-scripts"
     "${helper}")
file(MAKE_DIRECTORY "${out}/nautilus-scripts")
set(scripts "Make Ringtone" "Make Ringtone (choose part)…")
foreach(script IN LISTS scripts)
    file(CREATE_LINK "${link_target}" "${out}/nautilus-scripts/${script}" SYMBOLIC)
endforeach()

set(data "${prefix}/${CHIMEWICK_DATADIR}")
set(readable OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
set(runnable ${readable} OWNER_EXECUTE GROUP_EXECUTE WORLD_EXECUTE)
file(INSTALL "${out}/applications/${entry}" DESTINATION "${data}/applications"
     FILE_PERMISSIONS ${readable})
file(INSTALL "${out}/thunar-make-ringtone.xml" "${out}/thunar-make-ringtone-choose.xml"
     DESTINATION "${data}/chimewick" FILE_PERMISSIONS ${readable})
foreach(script IN LISTS scripts)
    file(INSTALL "${out}/nautilus-scripts/${script}"
         DESTINATION "${data}/chimewick/nautilus-scripts")
endforeach()
file(INSTALL "${out}/helper/make-ringtone" DESTINATION "${prefix}/${CHIMEWICK_HELPERDIR}"
     FILE_PERMISSIONS ${runnable})
# Dolphin ignores a service menu outside the system folders unless it is executable; in
# /usr, where a package puts it, it needs no such mark (and Debian frowns on one).
if(prefix STREQUAL "/usr")
    set(service_menu_permissions ${readable})
else()
    set(service_menu_permissions ${runnable})
endif()
file(INSTALL "${out}/servicemenus/chimewick-make-ringtone.desktop"
     DESTINATION "${data}/kio/servicemenus" FILE_PERMISSIONS ${service_menu_permissions})
