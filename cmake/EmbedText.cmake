# Writes INPUT as a C++ raw string constant NAME into the header OUTPUT.
file(READ ${INPUT} text)
file(WRITE ${OUTPUT} "// Generated from ${INPUT}.\nstatic const char ${NAME}[] = R\"ombrel(${text})ombrel\";\n")
