#pragma once
#define IDI_QUARRIX 1
#define IDI_FOLDER 2
