# Creates the sample (the demo's source and destination databases and saved mapping) in OUT,
# all in one folder. Usage: cmake -DKORU_DEMO=<koru_demo> -DOUT=<folder> -P samples.cmake
set(work "${OUT}.work")
file(REMOVE_RECURSE "${work}" "${OUT}")
execute_process(COMMAND "${KORU_DEMO}" "${work}" OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(MAKE_DIRECTORY "${OUT}")
file(GLOB mapping "${work}/home/demo*")
file(COPY "${work}/TICKORDB.db" "${work}/source.db" ${mapping} DESTINATION "${OUT}")
# The mapping lists its files by the path they were written to; the sample's sit beside it.
# (sed, since CMake's file() would drop the CR of the CR LF line ends.)
execute_process(COMMAND sed -i "s|${work}/home/||" "${OUT}/demo.xfo" COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE "${work}")
