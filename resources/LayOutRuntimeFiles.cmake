# Lays out languages/ and a default setting.ini in DEST_DIR.
# Inputs: SOURCE_DIR (this folder), DEST_DIR, LANGUAGE_FILES (list of names
# under SOURCE_DIR/languages), HELP_URL (the [APPLICATION] url to write),
# INSTALLING (optional: also report what was left as it was), README
# (optional: a file to copy to DEST_DIR/README.md, refreshed when it differs).
foreach(var SOURCE_DIR DEST_DIR LANGUAGE_FILES HELP_URL)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "LayOutRuntimeFiles: ${var} is not set")
    endif()
endforeach()

file(MAKE_DIRECTORY "${DEST_DIR}/languages")
foreach(name IN LISTS LANGUAGE_FILES)
    file(READ "${SOURCE_DIR}/languages/${name}" text)
    # Only the url line changes; it is the only key named url in the files.
    string(REGEX REPLACE "\nurl=[^\r\n]*" "\nurl=${HELP_URL}" text "${text}")
    set(target "${DEST_DIR}/languages/${name}")
    set(current "")
    if(EXISTS "${target}")
        file(READ "${target}" current)
    endif()
    if(NOT current STREQUAL text)
        message(STATUS "Installing: ${target}")
        file(WRITE "${target}" "${text}")
    elseif(INSTALLING)
        message(STATUS "Up-to-date: ${target}")
    endif()
endforeach()

if(DEFINED README AND NOT README STREQUAL "")
    file(COPY_FILE "${README}" "${DEST_DIR}/README.md" ONLY_IF_DIFFERENT)
endif()

# Never overwrite a setting.ini that is there, nor anything else under
# that name (a link, a folder).
set(settings "${DEST_DIR}/setting.ini")
if(EXISTS "${settings}" OR IS_SYMLINK "${settings}")
    if(INSTALLING)
        message(STATUS "Keeping: ${settings}")
    endif()
else()
    message(STATUS "Installing: ${settings}")
    file(COPY_FILE "${SOURCE_DIR}/setting.ini" "${settings}")
endif()
