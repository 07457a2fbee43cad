# Makes the translators' template from the files listed in INPUTS, run in the source folder.
# usage: cmake -DXGETTEXT=… -DINPUTS=POTFILES -DOUTPUT=vornhaskel.pot -P MakeTemplate.cmake
# Locations name files without lines, and messages keep their files' order, so that an edit
# elsewhere in a source leaves the template as it was.
execute_process(COMMAND "${XGETTEXT}" --files-from=${INPUTS} --output=${OUTPUT}.new
                        --from-code=UTF-8 --add-comments=Translators: --add-location=file --sort-by-file
                        --package-name=vornhaskel "--copyright-holder=vornhaskel contributors"
                        --keyword=Tr --keyword=TrC:1c,2 --keyword=TrN:1,2 --keyword=N_
                        --flag=Format:1:c-format --flag=Tr:1:pass-c-format --flag=TrC:2:pass-c-format
                        --flag=TrN:1:pass-c-format --flag=TrN:2:pass-c-format --flag=N_:1:pass-c-format
                RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "xgettext failed")
endif()
# xgettext names the charset only where a message is not ASCII; the catalogs are UTF-8 whatever they hold.
file(READ "${OUTPUT}.new" text)
string(REPLACE "charset=CHARSET" "charset=UTF-8" text "${text}")
string(REPLACE "# SOME DESCRIPTIVE TITLE." "# The words of vornhaskel's repair tool and launcher." text "${text}")
file(WRITE "${OUTPUT}" "${text}")
file(REMOVE "${OUTPUT}.new")
