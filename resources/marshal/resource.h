// Resource ids of Marshal.exe: the numbers the program addresses its resources by.
#pragma once
