// The seven HUD lines: two formats and five fixed texts.
//
// The Korean texts are kept as code-page-949 bytes, the encoding the font
// layer expects; the rectangle of each line is sized from this byte length.
#pragma once

inline constexpr char kHudFrameRateFormat[] = "FPS: %f";
inline constexpr char kHudCameraFormat[] = "[CAMERA]X:%f, Y:%f, Z:%f";

// "1 : 반사, 2 : 굴절" (18 bytes)
inline constexpr char kHudKeysReflectRefract[] = "1 : \xb9\xdd\xbb\xe7, 2 : \xb1\xbc\xc0\xfd";

// "[Camera이동] W/A/S/D [Roll] Q/E [↑↓] R/F" (42 bytes)
inline constexpr char kHudKeysCameraMove[] =
    "[Camera\xc0\xcc\xb5\xbf] W/A/S/D [Roll] Q/E [\xa1\xe8\xa1\xe9] R/F";

// "[Camera회전] 마우스 R 버튼" (26 bytes)
inline constexpr char kHudKeysCameraTurn[] =
    "[Camera\xc8\xb8\xc0\xfc] \xb8\xb6\xbf\xec\xbd\xba R \xb9\xf6\xc6\xb0";

// "[Light이동] [X이동]NUM8/NUM5 [Y이동]NUM4/NUM6 [Z이동]NUM7/NUM9" (62 bytes)
inline constexpr char kHudKeysLightMove[] =
    "[Light\xc0\xcc\xb5\xbf] [X\xc0\xcc\xb5\xbf]NUM8/NUM5 [Y\xc0\xcc\xb5\xbf]NUM4/NUM6 "
    "[Z\xc0\xcc\xb5\xbf]NUM7/NUM9";

inline constexpr char kHudKeysFillMode[] = "[WIRE/SOLID] SPACE BAR";
