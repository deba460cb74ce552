patch:Number
description:A number.
param:num|1000
location:AABB
