#pragma once
// Scene storage (packet type 2, sub-commands 0x08 to 0x0F), the MCU's own commands (packet type 3, apart
// from the firmware upgrade) and the karaoke values (packet type 7).
//
// Scenes (choices the host leaves to the amplifier):
// - `SaveScene` (id, immediately) copies the working configuration into scene id 1..10, marks it valid
//   and makes it current; acknowledged `02 08 EE 0A id` (another id: NOT_READY, nothing stored).
// - `ReadScene` (from, to) with from 1..10 and to 0 or 0xFF copies that scene into the working
//   configuration and makes it current; any other pair changes nothing. Acknowledged `09 EE 0A from`.
// - `DeleteScene` (id) puts the scene back to factory values, erases its name (16 x 0xFF) and clears its
//   valid bit (and the current scene when it was current); acknowledged `0A EE 0A id`.
// - `SetSceneName` stores up to 16 name bytes, zero-filled; `Get_SceneName` answers `0B DD id name[16]`.
// - Scene profile commands (0x0C) read and write a 1024-byte area per scene 0..10; a reply holds at most
//   53 bytes. 0x0D answers `0D DD v`; `GetSceneID` `0E DD current`; `GetValidScene` `0F DD hi lo` with
//   bit (id - 1) per valid scene.
// MCU:
// - The handshake answers `08 DD status model master slave` in normal mode and the ping reply `93 DD` in
//   upgrade or bootloader mode. `PC_Connect` (0x1F) and the ping (0x93) are not answered.
// - `MCU_Factory_Default` (0x90) restores the factory configuration, settings and scene directory (the
//   identity and the memory words stay), is acknowledged, then the device restarts.
// - Password, remark and the 0x41 bytes hold at most 16 bytes each; longer ones are cut.
// KTV: sub-commands 1..10 store a byte (5, the echo delay: two bytes, high first) and answer `sub DD v`.
// Unknown sub-commands are answered `sub EE 60` (NOT_READY).
#include "AmpProtocol.h"
#include "AmpState.h"

AmpReply RespondScenes(AmpState& state, const AmpRequest& request);
AmpReply RespondMcu(AmpState& state, const AmpRequest& request);
AmpReply RespondKtv(AmpState& state, const AmpRequest& request);
