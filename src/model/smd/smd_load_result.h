// Outcome of loading one SMD file.
#pragma once

enum class SmdLoadResult : int {
    Ok = 0,
    // The header is not "version 1".
    NotSmd = 1,
    // A reference file where an animation was expected, or the other way round.
    WrongKind = 2,
    // The file breaks the format in a way that would corrupt the model (a
    // section without "end", an index out of range, ...); the status says
    // where and why.
    Malformed = 3,
    // Set by the loaders only: the file could not be read (missing, not a
    // regular file, too large); no message box is shown.
    Unreadable = 4,
    // Set by the loaders only: refused before reading (a path longer than
    // 127 characters, every slot in use).
    Refused = 5,
};
