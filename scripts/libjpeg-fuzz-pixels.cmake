# Included into libjpeg-turbo's fuzzing build (scripts/build-libjpeg-fuzz.sh) right after
# its project() call. The per-pixel stages compare sample and histogram values, not
# anything parsed from the file, millions of times per picture: their comparisons are
# not traced for the fuzzer (that tracing took about a third of the JPEG target's time).
# Their edges stay instrumented, so coverage still sees every path through them.
set_source_files_properties(
  jidctint.c jidctfst.c jidctflt.c jidctred.c
  jdcolor.c jdsample.c jdmerge.c jquant1.c jquant2.c
  PROPERTIES COMPILE_OPTIONS "-fno-sanitize-coverage=trace-cmp")
