#pragma once
#define IDI_TESSIVAR 1
#define IDB_STATUS 101
#define IDR_UPDATER 201
