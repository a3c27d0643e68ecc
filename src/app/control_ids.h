/* Identifiers of the main dialog's controls. Plain #defines, because the
   resource compiler reads this file as well as the C++ compiler. */
#pragma once

#define IDD_MAIN 129

#define IDC_PORT 1000
#define IDC_READ_VERSION 1001
#define IDC_READ_CONFIG 1002
#define IDC_WRITE_CONFIG 1003
#define IDC_SAVE 1004
#define IDC_LOAD 1005
#define IDC_STATUS 1006
#define IDC_MORSE_TEXT 1007
#define IDC_MORSE_SPEED 1008
#define IDC_MORSE_TONE 1009
#define IDC_TONE_SPEED 1010
#define IDC_TONES_DURATION 1011
#define IDC_LOOP_TIME 1012
#define IDC_TX_FREQUENCY 1013
#define IDC_CALIBRATION 1014
#define IDC_TONES 1015
#define IDC_ENABLE_LED 1016
#define IDC_PRE_TONES_DELAY 1017
#define IDC_RX_FREQUENCY 1018
#define IDC_RANDOM_TONES 1019
#define IDC_RANDOM_SPEED 1020
#define IDC_RANDOM_MORSE 1021
#define IDC_AUTO_START 1022
#define IDC_UNLOCK_CODE 1023
#define IDC_INITIAL_DELAY 1024
#define IDC_TOTAL_RUNTIME 1025
#define IDC_DISABLE_RX 1026
/* Quit is the dialog's cancel command, so Escape quits too. */
#define IDC_QUIT 2
