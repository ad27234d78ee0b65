#pragma once
// The steps of an update, in the order a successful run takes them. Front
// ends that report steps (kt7-flash --json) learn them through the page.

enum class UpdatePhase {
    BootloaderCheck,    // every device probed, its boot-loader version asked
    BootloaderRefresh,  // a boot loader too old is rewritten
    Reset,
    Waiting,            // the devices leave the bus and must all come back
    AreaTable,          // where each area starts, sent before any is erased
    AreaMap,
    AreaVoice,
    AreaMain,
    CheckCode,          // the check-code block
    Descriptor,         // the program descriptor block
    End,                // the end command
};
