patch:One option
description:Yn with one option.
param:yn|A:01
location:AABB
