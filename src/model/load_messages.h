// Message texts of the SMD loaders. The Korean texts are code-page-949 bytes,
// handed to the report sink's boxes as they are.
#pragma once

// "SMD 파일이 아닙니다!!" (not an SMD file)
inline constexpr char kNotSmdMessage[] =
    "SMD \xc6\xc4\xc0\xcf\xc0\xcc \xbe\xc6\xb4\xd5\xb4\xcf\xb4\xd9!!";
// "Reference 파일이 아닙니다!!" (not a reference file)
inline constexpr char kWrongKindMessage[] =
    "Reference \xc6\xc4\xc0\xcf\xc0\xcc \xbe\xc6\xb4\xd5\xb4\xcf\xb4\xd9!!";
// Caption of every loader message box.
inline constexpr char kLoadErrorCaption[] = "Error";
