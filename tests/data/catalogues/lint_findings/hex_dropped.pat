patch:Dropped hex
description:Lower case, blanks, odd length, a 0x prefix.
param:yn|On:90 90,9o|Off:e841,E84
location:0f8c51,0F 8C,0F8C5,0x0F8C
