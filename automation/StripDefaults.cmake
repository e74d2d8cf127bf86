# widl writes an optional by-reference parameter's default value into the
# C++ declaration (`short *Timeout = 10`), which no C++ compiler takes: the
# defaults belong to the type library, where hosts read them. Removes them.
#   cmake -DINPUT=raw.h -DOUTPUT=header.h -P StripDefaults.cmake
file(READ ${INPUT} header)
string(REGEX REPLACE " = -?[0-9]+([,)])" "\\1" header "${header}")
file(WRITE ${OUTPUT}.tmp "${header}")
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
