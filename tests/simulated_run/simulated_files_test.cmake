# Runs kt7-flash with KT7_SIMULATE settings whose files are unusable or
# cannot be written, and checks exit codes, messages and the file system.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/package ${WORK}/flash ${WORK}/full)
string(REPEAT "M" 4096 main_bytes)
file(WRITE ${WORK}/main.bin "${main_bytes}")
execute_process(COMMAND ${PACK} --out ${WORK}/package/KT7_Down.dat --main ${WORK}/main.bin@0x40010000 --seed 1
                RESULT_VARIABLE packed)
if(NOT packed EQUAL 0)
  message(FATAL_ERROR "kt7-pack could not make the test package")
endif()
file(WRITE ${WORK}/plain-file "not a folder")

include(${CMAKE_CURRENT_LIST_DIR}/../support/ExpectFlashRun.cmake)

function(expect_empty_folder folder)
  file(GLOB entries ${folder}/*)
  if(entries)
    message(FATAL_ERROR "${folder} should be empty, holds: ${entries}")
  endif()
endfunction()

# Bad file settings: refused before anything, nothing created.
expect("flash names a file" "flash=${WORK}/plain-file" 64
       "KT7_SIMULATE: flash=[^\n]*plain-file is not an existing folder" list)
expect("flash names a new path" "flash=${WORK}/new/flash" 64 "KT7_SIMULATE: flash=" list)
if(EXISTS ${WORK}/new)
  message(FATAL_ERROR "a refused flash= setting created its folder")
endif()
expect("trace in a missing folder" "trace=${WORK}/new/trace.txt" 64 "KT7_SIMULATE: trace=" list)

# Listing is announced first and writes no image.
expect("list" "devices=2;flash=${WORK}/flash" 0 "sim/1/kt7-01" list)
if(NOT last_error MATCHES "^kt7-flash: KT7_SIMULATE is set: simulated devices \\[模拟设备\\]")
  message(FATAL_ERROR "list: the first line does not say that the devices are simulated:\n${last_error}")
endif()
expect_empty_folder(${WORK}/flash)

# A successful update whose files could not be saved is not a success.
expect("update with a trace on a full disk" "trace=/dev/full" 74
       "升级成功.*KT7_SIMULATE: could not save[^\n]*/dev/full" update --dir ${WORK}/package)
file(CREATE_LINK /dev/full ${WORK}/full/device0.bin.tmp SYMBOLIC)
expect("update with images on a full disk" "flash=${WORK}/full" 74
       "KT7_SIMULATE: could not save[^\n]*device0.bin" update --dir ${WORK}/package)
if(EXISTS ${WORK}/full/device0.bin)
  message(FATAL_ERROR "an image that could not be written whole was put in place")
endif()
# A failed update keeps its own exit code.
expect("device lost, trace on a full disk" "trace=/dev/full;unplug=0@30" 4 "KT7_SIMULATE: could not save"
       update --dir ${WORK}/package)

expect("update saved" "devices=2;flash=${WORK}/flash;trace=${WORK}/trace.txt" 0 "升级成功" update
       --dir ${WORK}/package)
foreach(device 0 1)
  file(SIZE ${WORK}/flash/device${device}.bin size)
  if(NOT size EQUAL 8388608)
    message(FATAL_ERROR "device${device}.bin has ${size} bytes")
  endif()
endforeach()
