# A damaged package is a load failure for `info` and `update` (exit 1) and no
# report reaches a device; a boot loader that still differs from its image
# after the second write ends `update` with exit 3 before any reset.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/good ${WORK}/damaged)
string(REPEAT "M" 4096 main_bytes)
file(WRITE ${WORK}/main.bin "${main_bytes}")
string(REPEAT "B" 1000 boot_bytes)
file(WRITE ${WORK}/good/Smpl_HIDTransfer.bin "${boot_bytes}")

execute_process(COMMAND ${PACK} --out ${WORK}/good/KT7_Down.dat --main ${WORK}/main.bin@0x40010000 --seed 3
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "kt7-pack failed: ${result}")
endif()
# Cut by 1024 bytes: the payload stays in whole pages, the main program no
# longer fits in it.
execute_process(COMMAND head -c 4224 ${WORK}/good/KT7_Down.dat OUTPUT_FILE ${WORK}/damaged/KT7_Down.dat)

include(${CMAKE_CURRENT_LIST_DIR}/../support/ExpectFlashRun.cmake)

expect("info on a sound package" "" 0 "passes every check" info ${WORK}/good/KT7_Down.dat)
expect("info on a damaged package" "" 1 "读取文件地址错误！" info ${WORK}/damaged/KT7_Down.dat)
expect("update with a damaged package" "trace=${WORK}/trace.txt" 1 "读取文件地址错误！" update --dir ${WORK}/damaged)
file(STRINGS ${WORK}/trace.txt written REGEX "^W ")
if(written)
  message(FATAL_ERROR "a damaged package sent reports to a device:\n${written}")
endif()

expect("boot loader kept wrong" "version=A107;badpage=0@1;flash=${WORK}" 3 "Failed to update in bootloader!"
       update --dir ${WORK}/good)
# The update never started: no program descriptor block at page 128.
file(READ ${WORK}/device0.bin descriptor OFFSET 32768 LIMIT 4 HEX)
if(NOT descriptor STREQUAL "ffffffff")
  message(FATAL_ERROR "the update went on after the boot loader failed its read-back: ${descriptor}")
endif()
expect("boot loader read back as written" "version=A107" 0 "升级成功" update --dir ${WORK}/good)
