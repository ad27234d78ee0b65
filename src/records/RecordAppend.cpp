#include "records/RecordAppend.h"

#include <system_error>

std::string AppendFailure::Text() const
{
    return "cannot " + step + " " + path + ": " + std::generic_category().message(error);
}
