// Icon resources of Corvath (drawn by resources/draw_icons.py). The device-type icons
// are chosen by the inventory's device-type table.
#pragma once

#define IDI_VELMORA 117
#define IDI_SCSI_LOGO 125
#define IDI_HOST_ADAPTER 145
#define IDI_DEVICE_DISK 151
#define IDI_DEVICE_CDROM 152
#define IDI_DEVICE_PRINTER 153
#define IDI_DEVICE_OPTICAL 154
#define IDI_DEVICE_PROCESSOR 155
#define IDI_DEVICE_TAPE 157
#define IDI_DEVICE_COMMUNICATIONS 158
#define IDI_DEVICE_CHANGER 159
#define IDI_DEVICE_SCANNER 162
#define IDI_DEVICE_OTHER 166
#define IDI_DEVICE_TYPE10 168
