// Silent sound layer until the module player arrives.
#include "sound/sound.h"

void InitSound() {}
void UpdateSound() {}
void PlayEffect(Effect) {}
void SwitchMusic(Music) {}
void SetMusicOn(bool) {}
void ShutdownSound() {}
