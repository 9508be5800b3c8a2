// Control identifiers of the main panel, the nine effect windows and the patch name strip.
#pragma once

namespace amplix {

// Main panel.
inline constexpr int ID_DRIVE = 201;
inline constexpr int ID_DRIVE2 = 202;
inline constexpr int ID_BASS = 203;
inline constexpr int ID_MID = 204;
inline constexpr int ID_TREBLE = 205;
inline constexpr int ID_PRESENCE = 206;
inline constexpr int ID_CHVOL = 207;
inline constexpr int ID_STATICDRIVE = 208;
inline constexpr int ID_STATICDRIVE2 = 209;
inline constexpr int ID_STATICBASS = 210;
inline constexpr int ID_STATICMID = 211;
inline constexpr int ID_STATICTREBLE = 212;
inline constexpr int ID_STATICPRESENCE = 213;
inline constexpr int ID_STATICCHVOL = 214;
inline constexpr int ID_AMPMODEL = 215;
inline constexpr int ID_STATICAMPMODEL = 216;
inline constexpr int ID_DRIVEBOOST = 217;
inline constexpr int ID_STATICEFFECTSEL = 218;
inline constexpr int ID_EFFECTSEL = 220;
inline constexpr int ID_CABSEL = 221;
inline constexpr int ID_DISTORTION = 222;
inline constexpr int ID_PRESBOOST = 223;
inline constexpr int ID_BRIGHT = 224;
inline constexpr int ID_STATICCABSEL = 225;
inline constexpr int ID_AIR = 226;
inline constexpr int ID_STATICAIR = 227;
inline constexpr int ID_STATICAIRMIN = 229;
inline constexpr int ID_STATICAIRMAX = 230;
inline constexpr int ID_TREMCHOR = 233;

// Pedals.
inline constexpr int ID_WAH = 219;
inline constexpr int ID_VOLLEVEL = 239;
inline constexpr int ID_VOLMIN = 240;
inline constexpr int ID_VOLPOSITION = 241;
inline constexpr int ID_WAHLEVEL = 242;
inline constexpr int ID_WAHBOTTOM = 243;
inline constexpr int ID_WAHTOP = 244;
inline constexpr int ID_STATICVOLLEVEL = 246;
inline constexpr int ID_STATICVOLMIN = 247;
inline constexpr int ID_STATICVOLPOSITION = 248;
inline constexpr int ID_STATICWAHLEVEL = 249;
inline constexpr int ID_STATICWAHBOTTOM = 250;
inline constexpr int ID_STATICWAHTOP = 251;

// Noise gate.
inline constexpr int ID_NOISEGATE = 228;
inline constexpr int ID_GATETHRESHOLD = 252;
inline constexpr int ID_GATEDECAYTIME = 253;
inline constexpr int ID_STATICGATETHRESHOLD = 255;
inline constexpr int ID_STATICGATEDECAYTIME = 256;

// Reverb.
inline constexpr int ID_REVERB = 232;
inline constexpr int ID_REVERBLEVEL = 257;
inline constexpr int ID_REVERBTONE = 258;
inline constexpr int ID_REVERBDECAY = 259;
inline constexpr int ID_REVERBDENSITY = 260;
inline constexpr int ID_REVERBDIFFUSION = 261;
inline constexpr int ID_REVERBTYPE = 262;
inline constexpr int ID_STATICREVERBLEVEL = 264;
inline constexpr int ID_STATICREVERBTONE = 265;
inline constexpr int ID_STATICREVERBDECAY = 266;
inline constexpr int ID_STATICREVERBDENSITY = 267;
inline constexpr int ID_STATICREVERBDIFFUSION = 268;
inline constexpr int ID_STATICREVERBTYPE = 269;

// Delay.
inline constexpr int ID_DELAY = 231;
inline constexpr int ID_DELAYLEVEL = 270;
inline constexpr int ID_DELAYFEEDBACK = 271;
inline constexpr int ID_DELAYTIME = 272;
inline constexpr int ID_STATICDELAYLEVEL = 274;
inline constexpr int ID_STATICDELAYFEEDBACK = 275;
inline constexpr int ID_STATICDELAYTIME = 276;

// Compressor.
inline constexpr int ID_CRATIO = 277;
inline constexpr int ID_STATICCRATIO = 278;

// Volume swell.
inline constexpr int ID_SWELL = 280;
inline constexpr int ID_STATICSWELL = 281;

// Tremolo.
inline constexpr int ID_TREMSPEED = 283;
inline constexpr int ID_TREMDEPTH = 284;
inline constexpr int ID_STATICTREMSPEED = 285;
inline constexpr int ID_STATICTREMDEPTH = 286;

// Rotary.
inline constexpr int ID_ROTARYMAX = 288;
inline constexpr int ID_ROTARYMIN = 289;
inline constexpr int ID_ROTARYSPEED = 290;
inline constexpr int ID_STATICROTARYMAX = 291;
inline constexpr int ID_STATICROTARYMIN = 292;
inline constexpr int ID_STATICROTARYSPEED = 293;
inline constexpr int ID_ROTARYDEPTH = 710;
inline constexpr int ID_STATICROTARYDEPTH = 711;

// Chorus and flanger.
inline constexpr int ID_CHSPEED = 701;
inline constexpr int ID_CHDEPTH = 702;
inline constexpr int ID_CHFEEDBACK = 703;
inline constexpr int ID_STATICCHSPEED = 705;
inline constexpr int ID_STATICCHDEPTH = 706;
inline constexpr int ID_STATICCHFEEDBACK = 707;
inline constexpr int ID_CHPREDELAY = 708;
inline constexpr int ID_STATICCHPREDELAY = 709;

// Patch name strip.
inline constexpr int ID_STATICPATCHNAME = 712;
inline constexpr int ID_STATICPATCHNAMEDATA = 713;
inline constexpr int ID_CHANGEPATCHNAME = 714;
inline constexpr int ID_SAVETOPOD = 715;

} // namespace amplix
