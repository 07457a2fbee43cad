# Brings po/ up to the sources: the template made from them replaces po/vornhaskel.pot where
# anything but its date differs, and is merged into each language's catalog; a language in
# LINGUAS without a catalog gets a new one, every message untranslated.
# usage: cmake -DMADE=… -DPO_DIR=… -DLANGUAGES=… -DMSGMERGE=… -DMSGINIT=… -P UpdateCatalogs.cmake
function(read_without_date path into)
    file(READ "${path}" text)
    string(REGEX REPLACE "\"POT-Creation-Date: [^\"]*\"" "" text "${text}")
    set(${into} "${text}" PARENT_SCOPE)
endfunction()

set(pot "${PO_DIR}/vornhaskel.pot")
read_without_date("${MADE}" made)
set(committed "")
if(EXISTS "${pot}")
    read_without_date("${pot}" committed)
endif()
if(NOT made STREQUAL committed)
    file(COPY_FILE "${MADE}" "${pot}")
    message(STATUS "po/vornhaskel.pot: the sources' messages changed")
endif()

foreach(lang IN LISTS LANGUAGES)
    set(po "${PO_DIR}/${lang}.po")
    if(EXISTS "${po}")
        # --previous keeps the old English beside a message that became fuzzy, for its translator.
        execute_process(COMMAND "${MSGMERGE}" --quiet --update --backup=off --previous "${po}" "${pot}"
                        RESULT_VARIABLE failed)
    else()
        execute_process(COMMAND "${MSGINIT}" --no-translator --locale=${lang} --input=${pot} --output-file=${po}
                        RESULT_VARIABLE failed)
        message(STATUS "po/${lang}.po: new; check its Plural-Forms")
    endif()
    if(failed)
        message(FATAL_ERROR "po/${lang}.po could not be updated")
    endif()
endforeach()
