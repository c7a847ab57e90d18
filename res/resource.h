// The resource ids, shared by the resource script, the program, its test driver and the
// recording stand-in.
#pragma once

#define IDD_ANGLE 101        // the phase angle dialog
#define IDC_ANGLE_EDIT 1001  // its edit control, which holds the angle
#define IDC_STATIC (-1)      // controls the program never addresses
