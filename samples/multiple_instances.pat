patch:Allow multiple instances
description:Lets you start VP more than once at the same time. "Allow" skips the check for a running copy; "Block" puts it back.
param:yn|Allow:EB|Block:74
location:833D4C8B5A0000
