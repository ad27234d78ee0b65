#pragma once
// Where the records file lies unless the user names another.

#include <string>

#include "platform/StateFolder.h"

// records.jsonl in the user's state folder (see StateFilePath), beside the
// log but never rotated.
std::string DefaultRecordsPath(const EnvironmentLookup& environment);
